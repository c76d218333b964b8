#include "cli/WindowReport.h"

#include <iostream>

#include "cli/Session.h"
#include "cli/TerminalView.h"

namespace kxt::cli {

void PrintListedDevices(app::TK71xFwTool& window) {
    for (std::size_t i = 0; i < window.ListedDevices(); ++i) {
        window.DeviceList.index = static_cast<int>(i);
        window.UpdateBtnCheck();
        std::cout << "  " << i + 1 << ". " << window.DeviceList.items[i] << "  "
                  << window.ChipLabelEdit.text << "  " << window.FwVerLableEdit.text << "  ("
                  << window.DeviceTable[i].path << ")\n";
    }
    if (window.ListedDevices() > 1) {
        window.DeviceList.index = 0;
        window.UpdateBtnCheck();
    }
}

void PrintScanWarnings(const app::TK71xFwTool& window, const os::Platform& platform) {
    if (window.DevicesLeftOut() > 0) {
        std::cerr << "kxtfw: " << window.DevicesLeftOut()
                  << " more USB storage device(s) left out: at most 16 are handled at a time\n";
    }
    if (!platform.scsi.PermissionDenials().empty()) {
        std::cerr << "kxtfw: some devices could not be examined: " << PermissionHint(platform) << '\n';
    }
}

}  // namespace kxt::cli
