#include "app/ExternalFlashUpdate.h"
#include "app/InternalRomUpdate.h"
#include "app/NvramFamilyUpdate.h"
#include "app/TK71xFwTool.h"

namespace kxt::app {

void TK71xFwTool::RunOlderPath(const os::DevicePath& path) {
    using device::ChipClass;
    const ChipClass chipClass = device::ClassOf(ChipId);
    // A backup only reads; everything else may erase and write. The external-flash
    // path takes its backup branch only while "RD Version" is checked.
    const bool backupOnly = BackupFWCheckBox.checked && EraseOnly == 0;
    const bool externalBackupOnly = backupOnly && RdCheckBox.checked;
    switch (chipClass) {
        case ChipClass::ChipKX40712:
        case ChipClass::ChipKX40716:
        case ChipClass::ChipKX40719:
        case ChipClass::ChipKXR743:
            if (externalBackupOnly || ProgrammingAllowed()) UpdateExternalFlash(*this, path);
            return;
        case ChipClass::ChipKXR741:
            if (ProgrammingAllowed()) UpdateNvramFamily(*this, path);
            return;
        case ChipClass::ChipKX40714:
        case ChipClass::ChipKX40714Usb:
            if (backupOnly || ProgrammingAllowed()) UpdateInternalRom(*this, path, FlashTypeList.index);
            return;
        default: return;
    }
}

}  // namespace kxt::app
