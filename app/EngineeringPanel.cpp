#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "app/TK71xFwTool.h"
#include "device/FirmwareFileCheck.h"

namespace kxt::app {
namespace {

using device::ChipClass;

constexpr std::string_view kFileFilter = "BinaryFile|*.bin|All Files|*.*";
// The dialog opens in the program's own folder.
const std::string kProgramFolder;

// By item of the firmware-size and transfer-page-size lists.
constexpr std::array<std::uint32_t, 6> kFirmwareSizes{32768, 65536, 131072, 262144, 524288, 1048576};
constexpr std::array<std::uint32_t, 5> kTransferPageSizes{32768, 16384, 8192, 4096, 2048};

template <std::size_t N>
void ApplyChoice(const ListBox& list, const std::array<std::uint32_t, N>& values,
                 std::uint32_t& setting) {
    if (list.index >= 0 && static_cast<std::size_t>(list.index) < values.size()) {
        setting = values[static_cast<std::size_t>(list.index)];
    }
}

}  // namespace

void TK71xFwTool::EraseOnlyCheckClick(CheckBox& sender) {
    const ChipClass chipClass = device::ClassOf(ChipId);
    CheckBox& other = sender.tag == EraseOnlyCheck.tag ? BackupFWCheckBox : EraseOnlyCheck;
    if (&sender == &EraseOnlyCheck && chipClass == ChipClass::ChipKXR741) {
        NVRAMCheck.shown = true;
    }
    // The two boxes are never checked together; unchecking the other one is a
    // change of its own, handled before this one goes on.
    if (sender.checked && other.checked) {
        other.checked = false;
        EraseOnlyCheckClick(other);
    }

    const bool sizeChoice = chipClass == ChipClass::ChipKX40719 &&
                            (EraseOnlyCheck.checked || BackupFWCheckBox.checked);
    FwSizeCheck.enabled = FwSizeCheck.shown = sizeChoice;
    FwSizeLable.shown = sizeChoice;
    EraseOnly = EraseOnlyCheck.checked ? 1 : 0;

    const bool knownDevice = DeviceCount != 0 && chipClass != ChipClass::ChipUnknown;
    if (EraseOnlyCheck.checked) {
        FwFilenameEdit.enabled = false;
        UpdateBtn.enabled = knownDevice;
    } else {
        FwFilenameEdit.enabled = true;
        UpdateBtn.enabled = knownDevice && !FwFilenameEdit.text.empty() &&
                            device::CheckFirmwareFile(GetPlatform().ui, FwFilenameEdit.text, ChipId);
    }
    if (!UpdateBtn.enabled && BackupFWCheckBox.checked) {
        UpdateBtn.enabled = true;
    }
    Redraw();
}

bool TK71xFwTool::ChooseFileInto(Edit& field) {
    StatusEdit.text.clear();
    const auto chosen = GetPlatform().ui.ChooseOpenFile(kProgramFolder, kFileFilter);
    if (chosen) {
        field.text = *chosen;
    }
    return chosen.has_value();
}

void TK71xFwTool::LoadBtnClick() {
    if (ChooseFileInto(FwFilenameEdit)) {
        // The field's change handler.
        UpdateBtnCheck();
        UpdateBtn.enabled = true;
    }
    Redraw();
}

void TK71xFwTool::BackupBtnClick() {
    if (ChooseFileInto(BackupFileEdit)) {
        UpdateBtn.enabled = true;
    }
    Redraw();
}

void TK71xFwTool::UpdateBtnClick() {
    if (busy_ || !UpdateBtn.enabled) {
        return;
    }
    busy_ = true;
    UpdateBtn.enabled = false;
    GetPlatform().ui.DebugTrace("Update Btn Press\n");
    const os::DevicePath* selected = SelectedPath();
    StatusEdit.text.clear();
    Redraw();
    if (selected != nullptr) {
        RunOlderPath(*selected);
    }
    UpdateBtn.enabled = true;
    EndOperation();
}

void TK71xFwTool::FwSizeCheckChange() { ApplyChoice(FwSizeCheck, kFirmwareSizes, Settings().FirmwareSize); }

void TK71xFwTool::FwPgSizeCheckChange() {
    ApplyChoice(FwPgSizeCheck, kTransferPageSizes, Settings().TransferPageSize);
}

}  // namespace kxt::app
