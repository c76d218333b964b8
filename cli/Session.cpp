#include "cli/Session.h"

#include <unistd.h>

#include <iostream>

#include "emulator/Scenario.h"
#include "emulator/VirtualClock.h"
#include "os/linux/LinuxInterfaceListing.h"
#include "os/linux/LinuxScsiPassThrough.h"
#include "os/linux/SystemClock.h"
#include "resources/EmbeddedFirmwareResources.h"

namespace kxt::cli {

struct Session::Parts {
    emulator::VirtualClock virtualClock;
    os::linux_impl::SystemClock systemClock;
    os::linux_impl::LinuxScsiPassThrough linuxScsi;
    resources::EmbeddedFirmwareResources firmware;
    os::linux_impl::LinuxInterfaceListing interfaces;
};

Session::~Session() = default;

std::unique_ptr<Session> Session::Create(const SessionOptions& options, std::string& error) {
    std::unique_ptr<Session> session(new Session());
    session->options_ = options;
    session->ui_.verbose = options.verbose;
    session->parts_ = std::make_unique<Parts>();
    Parts& parts = *session->parts_;
    if (options.emulate.empty()) {
        if (!options.trace.empty() || !options.saveFlash.empty()) {
            error = "--trace and --save-flash need --emulate";
            return nullptr;
        }
        session->platform_ = std::make_unique<os::Platform>(os::Platform{
            parts.linuxScsi, parts.systemClock, parts.firmware, session->ui_, parts.interfaces});
        return session;
    }
    session->bus_ = std::make_unique<emulator::EmulatedBus>(parts.virtualClock);
    try {
        emulator::LoadScenarioFile(options.emulate, *session->bus_);
    } catch (const emulator::ScenarioError& scenarioError) {
        error = scenarioError.what();
        return nullptr;
    }
    session->platform_ = std::make_unique<os::Platform>(os::Platform{
        *session->bus_, parts.virtualClock, parts.firmware, session->ui_, *session->bus_});
    return session;
}

std::optional<os::DevicePath> Session::DefaultPath() {
    if (!bus_ || bus_->Devices().empty()) {
        return std::nullopt;
    }
    return bus_->Devices().front()->path;
}

bool Session::Finish() {
    bool ok = true;
    if (bus_ && !options_.trace.empty() && !bus_->WriteLog(options_.trace)) {
        std::cerr << "kxtfw: cannot write the command log to " << options_.trace << '\n';
        ok = false;
    }
    if (bus_ && !options_.saveFlash.empty() && !bus_->SaveFlashes(options_.saveFlash)) {
        std::cerr << "kxtfw: cannot save the emulated flash into " << options_.saveFlash << '\n';
        ok = false;
    }
    return ok;
}

void RunInSession(const SessionOptions& options, int& exitStatus,
                  const std::function<int(Session&)>& command) {
    std::string error;
    std::unique_ptr<Session> session = Session::Create(options, error);
    if (!session) {
        std::cerr << "kxtfw: " << error << '\n';
        exitStatus = 2;
        return;
    }
    exitStatus = command(*session);
    if (!session->Finish() && exitStatus == 0) {
        exitStatus = 1;
    }
}

std::string PermissionHint(const os::Platform& platform) {
    // Emulated refusals play an ordinary user's view of real devices.
    if (geteuid() == 0 && !platform.scsi.Emulated()) {
        return "the system refused access to the device even to root: a container or a "
               "security policy (device cgroup, SELinux, AppArmor) keeps it away";
    }
    return "the device refused access: run as root, or grant the program CAP_SYS_RAWIO and "
           "read-write access to the /dev/sg node (the kernel refuses vendor commands to "
           "ordinary users)";
}

}  // namespace kxt::cli
