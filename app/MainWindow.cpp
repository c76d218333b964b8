#include "app/TK71xFwTool.h"
#include "device/VendorCommands.h"

namespace kxt::app {

TK71xFwTool::TK71xFwTool(const os::Platform& platform, ProcessSettings& settings,
                         WindowObserver* observer, WindowMode mode)
    : SharedWindowState(platform, settings), mode_(mode) {
    SetObserver(observer);
    RdCheckBox.shown = mode_ == WindowMode::Engineering;
    EraseOnly = EraseOnlyCheck.checked ? 1 : 0;
    RefreshBtnClick();
    RdCheckBoxClick();
}

TK71xFwTool::~TK71xFwTool() {
    for (const os::DevicePath& path : ReleaseList) {
        device::DisableVendorMode(GetPlatform(), path);
    }
}

// The designed client area already holds the panel's room; closing the panel takes
// it away, opening it gives it back (set, not added, so repeated clicks cannot drift).
void TK71xFwTool::RdCheckBoxClick() {
    RdPanel.shown = RdCheckBox.checked;
    if (mode_ == WindowMode::Engineering) {
        ShowEngineeringControls(RdCheckBox.checked);
    }
    if (RdCheckBox.checked) {
        // In engineering mode the band of window controls and the panel below it.
        clientHeight = kDesignedClientHeight + (mode_ == WindowMode::Engineering ? kRdPanelHeight : 0);
        Redraw();
        return;
    }
    clientHeight = kDesignedClientHeight - kRdPanelHeight;
    FwSizeCheck.shown = false;
    FwSizeLable.shown = false;
    FwFilenameEdit.enabled = true;
    UpdateBtn.enabled = false;
    UpdateBtnCheck();
}

void TK71xFwTool::ShowEngineeringControls(bool shown) {
    for (auto* list : {&DeviceList, &FlashTypeList, &FwPgSizeCheck}) list->shown = shown;
    for (auto* button : {&RefreshBtn, &LoadBtn, &UpdateBtn}) button->shown = shown;
    for (auto* edit : {&ChipLabelEdit, &DiskLetterLable, &FwVerLableEdit, &StatusEdit, &FwFilenameEdit}) {
        edit->shown = shown;
    }
    for (auto* label : {&FlashTypeLabel, &diskLabel, &Label1}) label->shown = shown;
}

}  // namespace kxt::app
