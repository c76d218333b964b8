#include "gui/program/ProgramDevices.h"

#include "emulator/Scenario.h"
#include "gui/EmulatedDeviceNotices.h"
#include "os/linux/UdevDeviceMonitor.h"

namespace kxt::gui {

std::unique_ptr<ProgramDevices> ProgramDevices::Create(const DeviceOptions& options,
                                                       std::string& error) {
    std::unique_ptr<ProgramDevices> devices(new ProgramDevices(options));
    if (options.emulate.empty()) {
        if (!options.trace.empty() || !options.saveFlash.empty()) {
            error = "--trace and --save-flash need --emulate";
            return nullptr;
        }
        return devices;
    }
    devices->bus_ = std::make_unique<emulator::EmulatedBus>(devices->virtualClock_);
    try {
        emulator::LoadScenarioFile(options.emulate, *devices->bus_);
    } catch (const emulator::ScenarioError& scenarioError) {
        error = scenarioError.what();
        return nullptr;
    }
    return devices;
}

os::Platform ProgramDevices::MakePlatform(os::UiServices& ui) {
    if (bus_) {
        return os::Platform{*bus_, virtualClock_, firmware_, ui, *bus_};
    }
    return os::Platform{linuxScsi_, systemClock_, firmware_, ui, linuxInterfaces_};
}

std::unique_ptr<os::DeviceChangeNotices> ProgramDevices::OpenNotices() {
    if (bus_) {
        return EmulatedDeviceNotices::Attach(*bus_);
    }
    return os::linux_impl::UdevDeviceMonitor::Open();
}

bool ProgramDevices::Finish(std::string& error) const {
    if (!bus_) {
        return true;
    }
    if (!options_.trace.empty() && !bus_->WriteLog(options_.trace)) {
        error = "cannot write the command log to " + options_.trace;
        return false;
    }
    if (!options_.saveFlash.empty() && !bus_->SaveFlashes(options_.saveFlash)) {
        error = "cannot save the emulated flash into " + options_.saveFlash;
        return false;
    }
    return true;
}

}  // namespace kxt::gui
