#include "app/TK71xFwTool.h"
#include "device/VendorCommands.h"

namespace kxt::app {

TK71xFwTool::TK71xFwTool(const os::Platform& platform, ProcessSettings& settings,
                         WindowObserver* observer)
    : SharedWindowState(platform, settings) {
    SetObserver(observer);
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
    if (RdCheckBox.checked) {
        clientHeight = kDesignedClientHeight;
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

}  // namespace kxt::app
