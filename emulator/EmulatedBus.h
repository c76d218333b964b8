#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "emulator/BridgeChip.h"
#include "emulator/CommandLog.h"
#include "emulator/Faults.h"
#include "emulator/TimingModel.h"
#include "emulator/VirtualClock.h"
#include "os/InterfaceListing.h"
#include "os/ScsiPassThrough.h"

namespace kxt::emulator {

struct EmulatedDevice {
    std::string id;
    os::DevicePath path;  // "emu:" + id
    BridgeChip chip;
    std::vector<Fault> faults;
    std::map<std::string, int, std::less<>> occurrences;
    bool attached = true;
    bool gone = false;  // left the bus for good
    std::chrono::milliseconds reattachAt{0};
    TimingModel timing{};  // what each command costs on the virtual clock
};

enum class DeviceChange { Arrival, Removal };

// The emulated USB bus: its devices answer the pass-through, appear in the
// interface listing, and every request they receive is logged. A reset device
// leaves the bus and comes back after its delay on the virtual clock.
class EmulatedBus final : public os::ScsiPassThrough, public os::InterfaceListing {
public:
    using ChangeListener = std::function<void(const os::DevicePath&, DeviceChange)>;

    explicit EmulatedBus(VirtualClock& clock);
    ~EmulatedBus() override;

    // The id becomes the path "emu:<id>"; ids are lower case, like kernel names.
    EmulatedDevice& AddDevice(std::string id, Personality personality, NorFlash flash);
    EmulatedDevice* Find(const os::DevicePath& path);
    std::vector<EmulatedDevice*> Devices();

    os::OpenResult Open(const os::DevicePath& path, os::ShareMode mode) override;
    std::vector<os::DevicePath> PermissionDenials() const override;
    bool Emulated() const override { return true; }
    std::vector<os::DevicePath> List(os::InterfaceKind kind) override;

    CommandLog Log() const;
    void ClearLog();
    // One line per request; false when the file cannot be written.
    bool WriteLog(const std::filesystem::path& file) const;
    // Each device's flash as <dir>/<id>.bin; false when a file cannot be written.
    bool SaveFlashes(const std::filesystem::path& directory) const;

    // Told of every device that leaves or joins the bus (resets, faults).
    void SetChangeListener(ChangeListener listener);
    // When the next reset device will be back, if one is away.
    std::optional<std::chrono::milliseconds> NextReattachTime() const;

    VirtualClock& Clock() { return clock_; }

private:
    class Handle;
    os::ScsiCompletion Submit(const os::DevicePath& path, const os::ScsiCommand& command,
                              bool exclusive);
    os::ScsiCompletion Execute(EmulatedDevice& device, ChipCommand command,
                               const os::ScsiCommand& request, int occurrence,
                               std::vector<std::pair<os::DevicePath, DeviceChange>>& changes,
                               FlashWork& work);
    std::vector<std::pair<os::DevicePath, DeviceChange>> UpdateAttachments();
    void Notify(const std::vector<std::pair<os::DevicePath, DeviceChange>>& changes);
    EmulatedDevice* FindLocked(const os::DevicePath& path);

    VirtualClock& clock_;
    mutable std::mutex mutex_;
    std::vector<std::unique_ptr<EmulatedDevice>> devices_;
    CommandLog log_;
    std::set<os::DevicePath> denied_;
    ChangeListener listener_;
};

}  // namespace kxt::emulator
