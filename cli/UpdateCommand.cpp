#include "cli/UpdateCommand.h"

#include <unistd.h>

#include <chrono>
#include <iostream>
#include <string>

#include "app/TK71xFwTool.h"
#include "cli/TerminalView.h"
#include "cli/WindowReport.h"

namespace kxt::cli {
namespace {

// A reset KXT850 leaves the bus and returns within seconds; give up well after.
constexpr std::chrono::milliseconds kReattachPoll{500};
constexpr std::chrono::seconds kReattachLimit{30};

struct UpdateOptions {
    int device = 1;
    bool yes = false;
};

bool Confirmed(const std::string& name) {
    std::cout << "Update the firmware of " << name
              << "?\nDo not unplug the enclosure while it runs. Proceed? [y/N] " << std::flush;
    std::string answer;
    std::getline(std::cin, answer);
    return answer == "y" || answer == "Y" || answer == "yes";
}

// After its reset the chip leaves the bus and comes back as a new device: scan
// until it is there again, so the last line says what the chip now reads as.
void AwaitReattach(app::TK71xFwTool& window, const os::Platform& p) {
    const std::int32_t before = window.DeviceCount;
    for (auto waited = std::chrono::milliseconds(0); waited < kReattachLimit; waited += kReattachPoll) {
        p.clock.Sleep(kReattachPoll);
        window.RefreshBtnClick();
        if (window.DeviceCount >= before) {
            std::cout << WindowMessage(window) << '\n';
            return;
        }
    }
    std::cout << "The device has not come back after " << kReattachLimit.count()
              << " s; unplug it and plug it in again.\n";
}

int Update(Session& session, const UpdateOptions& options) {
    const os::Platform& p = session.Platform();
    app::ProcessSettings settings;
    app::TK71xFwTool window(p, settings);
    if (window.ListedDevices() == 0) {
        std::cout << WindowMessage(window) << '\n';
        PrintScanWarnings(window, p);
        return 1;
    }
    if (options.device < 1 || static_cast<std::size_t>(options.device) > window.ListedDevices()) {
        std::cerr << "kxtfw: --device must be between 1 and " << window.ListedDevices() << '\n';
        return 2;
    }
    window.DeviceList.index = options.device - 1;
    window.UpdateBtnCheck();
    const std::string name = window.DeviceList.items[static_cast<std::size_t>(options.device - 1)];
    if (!options.yes) {
        if (!isatty(STDIN_FILENO)) {
            std::cerr << "kxtfw: not asking for confirmation without a terminal; add --yes\n";
            return 2;
        }
        if (!Confirmed(name)) {
            std::cout << "Nothing was changed.\n";
            return 1;
        }
    }
    {
        TerminalView view(isatty(STDERR_FILENO) != 0);
        window.SetObserver(&view);
        window.EraseButtonClick();
        window.SetObserver(nullptr);
    }
    std::cout << WindowMessage(window) << '\n';
    const bool updated = window.replugLable1.shown;
    if (updated && device::ClassOf(window.ChipId) == device::ChipClass::ChipKXT850) {
        AwaitReattach(window, p);
    }
    return updated ? 0 : 1;
}

}  // namespace

void AddUpdateCommand(CLI::App& app, const SessionOptions& options, int& exitStatus) {
    auto* command = app.add_subcommand("update", "Update the firmware of a bridge that needs it");
    auto updateOptions = std::make_shared<UpdateOptions>();
    command->add_option("--device", updateOptions->device,
                        "Which listed bridge to update (as numbered by `kxtfw scan`)")
        ->capture_default_str();
    command->add_flag("-y,--yes", updateOptions->yes, "Do not ask for confirmation");
    command->callback([&options, &exitStatus, updateOptions] {
        RunInSession(options, exitStatus,
                     [&updateOptions](Session& session) { return Update(session, *updateOptions); });
    });
}

}  // namespace kxt::cli
