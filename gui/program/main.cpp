// kxtfw-gui: the firmware update window.
#include <CLI/CLI.hpp>
#include <QApplication>
#include <iostream>

#include "gui/ApplicationSetup.h"
#include "gui/QtUiServices.h"
#include "gui/program/ProgramDevices.h"
#include "gui/program/WindowController.h"

namespace {

constexpr int kUsageError = 2;

}  // namespace

int main(int argc, char** argv) {
    CLI::App cli{"kxtfw-gui: firmware update window for Kavrix USB-to-SATA bridges"};
    kxt::gui::DeviceOptions deviceOptions;
    bool engineering = false;
    cli.add_option("--emulate", deviceOptions.emulate,
                   "Use the emulated devices of a scenario file instead of the kernel's")
        ->type_name("SCENARIO.json");
    cli.add_option("--trace", deviceOptions.trace,
                   "Write the emulated devices' command log to FILE at exit")
        ->type_name("FILE");
    cli.add_option("--save-flash", deviceOptions.saveFlash,
                   "Save each emulated flash into DIR at exit")
        ->type_name("DIR");
    cli.add_flag("--engineering", engineering,
                 "Show \"RD Version\", which opens the engineering panel");
    try {
        cli.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        return cli.exit(error) == 0 ? 0 : kUsageError;
    }

    // Before any window: a scenario that cannot be used ends the program here.
    std::string error;
    std::unique_ptr<kxt::gui::ProgramDevices> devices =
        kxt::gui::ProgramDevices::Create(deviceOptions, error);
    if (!devices) {
        std::cerr << "kxtfw-gui: " << error << '\n';
        return kUsageError;
    }

    QApplication application(argc, argv);
    kxt::gui::ConfigureApplication(application);
    // The program ends when the window has released the devices, not when the last
    // window closes: a message box shown before the window would otherwise end it.
    QApplication::setQuitOnLastWindowClosed(false);

    kxt::gui::QtUiServices ui;
    const kxt::os::Platform platform = devices->MakePlatform(ui);
    {
        kxt::gui::WindowController controller(
            platform, ui, [&devices] { return devices->OpenNotices(); },
            {.engineering = engineering, .emulatedBus = devices->Bus()});
        QObject::connect(&controller, &kxt::gui::WindowController::finished, &application,
                         &QApplication::quit, Qt::QueuedConnection);
        QApplication::exec();
    }
    if (!devices->Finish(error)) {
        std::cerr << "kxtfw-gui: " << error << '\n';
    }
    return 0;
}
