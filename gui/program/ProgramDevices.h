#pragma once

#include <memory>
#include <string>

#include "emulator/EmulatedBus.h"
#include "emulator/VirtualClock.h"
#include "os/DeviceChangeNotices.h"
#include "os/Platform.h"
#include "os/linux/LinuxInterfaceListing.h"
#include "os/linux/LinuxScsiPassThrough.h"
#include "os/linux/SystemClock.h"
#include "resources/EmbeddedFirmwareResources.h"

namespace kxt::gui {

struct DeviceOptions {
    std::string emulate;    // scenario file; empty: the kernel's devices
    std::string trace;      // command log of the emulated devices, written at exit
    std::string saveFlash;  // directory for the emulated flashes at exit
};

// What the window works on: the kernel's USB storage devices, or the emulated
// devices of a scenario.
class ProgramDevices {
  public:
    // Null, with `error` set, when the options do not fit or the scenario cannot be
    // loaded.
    static std::unique_ptr<ProgramDevices> Create(const DeviceOptions& options, std::string& error);

    // The platform with the given user-interface services; it refers to this object.
    os::Platform MakePlatform(os::UiServices& ui);
    // The emulated bus, null for the kernel's devices.
    emulator::EmulatedBus* Bus() { return bus_.get(); }
    // The device-change notices that fit the devices; null when none can be had.
    std::unique_ptr<os::DeviceChangeNotices> OpenNotices();

    // Writes the command log and the flash files that were asked for; false, with
    // `error` set, when one cannot be written. Only once no device work runs.
    bool Finish(std::string& error) const;

  private:
    explicit ProgramDevices(DeviceOptions options) : options_(std::move(options)) {}

    DeviceOptions options_;
    emulator::VirtualClock virtualClock_;
    os::linux_impl::SystemClock systemClock_;
    os::linux_impl::LinuxScsiPassThrough linuxScsi_;
    os::linux_impl::LinuxInterfaceListing linuxInterfaces_;
    resources::EmbeddedFirmwareResources firmware_;
    std::unique_ptr<emulator::EmulatedBus> bus_;
};

}  // namespace kxt::gui
