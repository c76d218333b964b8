#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "cli/ConsoleUi.h"
#include "emulator/EmulatedBus.h"
#include "os/Platform.h"

namespace kxt::cli {

struct SessionOptions {
    std::string emulate;    // scenario file; empty: the real devices
    std::string trace;      // command log of the emulated devices
    std::string saveFlash;  // directory for the emulated flashes at exit
    bool verbose = false;
};

// The platform a command runs on: the kernel's devices or an emulated scenario.
class Session {
public:
    // Null, with `error` set, when the scenario cannot be loaded.
    static std::unique_ptr<Session> Create(const SessionOptions& options, std::string& error);
    ~Session();

    os::Platform& Platform() { return *platform_; }
    bool Emulated() const { return bus_ != nullptr; }
    emulator::EmulatedBus* Bus() { return bus_.get(); }
    ConsoleUi& Ui() { return ui_; }

    // The first emulated device, for commands that need one path and got none.
    std::optional<os::DevicePath> DefaultPath();

    // Writes the trace and the flash files that were asked for; false (with a
    // message on standard error) when one cannot be written.
    bool Finish();

private:
    Session() = default;
    struct Parts;
    std::unique_ptr<Parts> parts_;
    std::unique_ptr<emulator::EmulatedBus> bus_;
    ConsoleUi ui_;
    std::unique_ptr<os::Platform> platform_;
    SessionOptions options_;
};

// What to tell a user whose requests were refused for lack of permission.
std::string PermissionHint(const os::Platform& platform);

// Runs one command on a fresh session and sets its exit status: 2 when the
// session cannot be set up, else the command's status, made 1 when the trace or
// flash files it asked for cannot be written.
void RunInSession(const SessionOptions& options, int& exitStatus,
                  const std::function<int(Session&)>& command);

}  // namespace kxt::cli
