#include "gui/screenshots/SampleStates.h"

namespace kxt::gui::samples {
namespace {

void ShowOnlyExit(app::WindowControls& c) {
    c.EraseButton.shown = false;
    c.ExitBtn.shown = false;
    c.ExtBtn.shown = true;
}

}  // namespace

app::WindowControls Constructed() {
    app::WindowControls c;
    c.clientHeight = app::kDesignedClientHeight - app::kRdPanelHeight;
    c.RdPanel.shown = false;
    c.FwSizeCheck.shown = false;
    c.FwSizeLable.shown = false;
    c.FwFilenameEdit.enabled = true;
    c.UpdateBtn.enabled = false;
    return c;
}

app::WindowControls Ready() {
    app::WindowControls c = Constructed();
    c.devLable = {kReadyText, app::FontColour::Black, true};
    c.replugLable1.shown = false;
    c.FwUpdatBar.shown = false;
    c.EraseButton.shown = c.EraseButton.enabled = true;
    c.ExitBtn.shown = c.ExitBtn.enabled = true;
    c.ExtBtn.shown = false;
    return c;
}

app::WindowControls NothingToUpdate(const char* text) {
    app::WindowControls c = Constructed();
    c.devLable = {text, app::FontColour::Red, true};
    c.replugLable1.shown = false;
    c.FwUpdatBar.shown = false;
    ShowOnlyExit(c);
    return c;
}

app::WindowControls Updating(int position) {
    app::WindowControls c = Ready();
    c.devLable.shown = false;
    c.FwUpdatBar = {position, true};
    c.EraseButton.enabled = false;
    return c;
}

app::WindowControls Updated(const char* text) {
    app::WindowControls c = Updating(100);
    c.FwUpdatBar.shown = false;
    c.replugLable1.text = text;
    c.replugLable1.shown = true;
    ShowOnlyExit(c);
    return c;
}

app::WindowControls UpdateFailed() {
    app::WindowControls c = Updating(60);
    c.FwUpdatBar.shown = false;
    c.devLable = {kUpdateFailText, app::FontColour::Red, true};
    ShowOnlyExit(c);
    return c;
}

std::vector<SampleState> AllStates() {
    return {
        {"ready", Ready()},
        {"nothing-to-update-already-updated", NothingToUpdate(kAlreadyUpdatedText)},
        {"nothing-to-update-no-device", NothingToUpdate(kNoDeviceText)},
        {"updating", Updating(60)},
        {"updated", Updated(kReattachText)},
        {"update-failed", UpdateFailed()},
    };
}

}  // namespace kxt::gui::samples
