// Renders the window in each of its states from the real widgets into PNG files:
//   kxtfw-gui-screenshots [OUTPUT_DIR]   (default docs/screenshots)
// Run it with QT_QPA_PLATFORM=offscreen when there is no display.
#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <cstdio>

#include "gui/ApplicationSetup.h"
#include "gui/MainWindow.h"
#include "gui/screenshots/SampleStates.h"

namespace {

class NoActions final : public kxt::gui::WindowActions {
  public:
    void OnEraseButton() override {}
    void OnExit() override {}
    void OnCloseRequested() override {}
    void OnRefreshButton() override {}
    void OnRdCheckBox(bool) override {}
    void OnEraseOnlyCheck(bool) override {}
    void OnBackupFwCheck(bool) override {}
    void OnA1ChipCheck(bool) override {}
    void OnNvramCheck(bool) override {}
    void OnLoad() override {}
    void OnBrowse() override {}
    void OnRun() override {}
    void OnDeviceListChanged(int) override {}
    void OnFlashTypeChanged(int) override {}
    void OnFwSizeChanged(int) override {}
    void OnPgSizeChanged(int) override {}
    void OnFirmwareFileEdited(const std::string&) override {}
    void OnBackupFileEdited(const std::string&) override {}
};

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    kxt::gui::ConfigureApplication(application);
    const QString directory = argc > 1 ? QString::fromLocal8Bit(argv[1]) : "docs/screenshots";
    if (!QDir().mkpath(directory)) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(directory));
        return 1;
    }

    NoActions actions;
    kxt::gui::MainWindow window(actions);
    window.ShowCentred();
    for (const auto& state : kxt::gui::samples::AllStates()) {
        window.Render(state.controls);
        QApplication::processEvents();
        const QString file = directory + "/" + QString::fromStdString(state.name) + ".png";
        if (!window.grab().save(file)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
            return 1;
        }
        std::printf("%s\n", qPrintable(file));
    }
    return 0;
}
