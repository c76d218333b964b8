#include <array>

#include "app/ExternalFlashUpdate.h"
#include "app/SectorProgramming.h"
#include "app/TK71xFwTool.h"
#include "app/WindowTexts.h"
#include "device/ChipCapabilities.h"
#include "device/ConfigBlockMerge.h"
#include "device/FirmwareCatalogue.h"
#include "device/FlashArea.h"
#include "device/ProgrammingGuard.h"
#include "device/UpdateImages.h"
#include "device/VendorCommands.h"

namespace kxt::app {
namespace {

using device::ChipClass;

constexpr int kStartProgress = 20;
constexpr std::uint8_t kLateRevision = 9;

constexpr std::size_t kKXT861BlockSize = 128;
constexpr std::size_t kKXT850BlockSize = 256;
constexpr std::uint32_t kKXT850BlockAddress = 0xC000;
constexpr std::uint16_t kOptionRegister = 0x7058;
constexpr std::size_t kOptionByte = 47;
constexpr std::uint8_t kOptionBit1 = 0x02;
constexpr std::uint8_t kOptionBit2 = 0x04;

}  // namespace

void TK71xFwTool::EraseButtonClick() {
    // A click queued behind a run that already ended must not start another one.
    if (busy_ || !EraseButton.shown || !EraseButton.enabled) {
        return;
    }
    busy_ = true;
    const os::DevicePath* selected = SelectedPath();
    const os::DevicePath path = selected != nullptr ? *selected : os::DevicePath();

    EraseButton.enabled = false;
    devLable.shown = false;
    FwUpdatBar.shown = true;
    FwUpdatBar.position = 0;
    AdvanceProgress(kStartProgress);
    StatusEdit.text.clear();
    EraseOnly = 0;
    Redraw();

    const bool updated = selected != nullptr && RunUpdate(path);

    FwUpdatBar.shown = false;
    ShowUpdateResult(updated, path);
    EraseButton.enabled = true;
    EndOperation();
}

void TK71xFwTool::EndOperation() {
    busy_ = false;
    Redraw();
    if (rescanDue_) {
        rescanDue_ = false;
        RefreshBtnClick();
    }
}

bool TK71xFwTool::RunUpdate(const os::DevicePath& path) {
    const ChipClass chipClass = device::ClassOf(ChipId);
    const bool externalFlash = chipClass == ChipClass::ChipKX40712 ||
                               chipClass == ChipClass::ChipKXR741 || chipClass == ChipClass::ChipKXR743;
    if (chipClass != ChipClass::ChipKXT861 && chipClass != ChipClass::ChipKXT850 && !externalFlash) {
        return false;
    }
    if (!ProgrammingAllowed()) {
        return false;
    }
    if (externalFlash) {
        return UpdateExternalFlash(*this, path) == 1;
    }
    return chipClass == ChipClass::ChipKXT861 ? UpdateKXT861(path, device::RevisionOf(ChipId))
                                              : UpdateKXT850(path);
}

bool TK71xFwTool::ProgrammingAllowed() {
    const os::Platform& p = GetPlatform();
    if (const auto refusal = device::ProgrammingRefusal(p)) {
        p.ui.ShowMessage(*refusal, texts::kErrorCaption, os::MessageIcon::Error);
        return false;
    }
    return true;
}

// The device keeps its own settings where the merge table says so; a block that
// cannot be read, or an embedded image that does not exist, ends the run before
// anything is written.
bool TK71xFwTool::UpdateKXT861(const os::DevicePath& path, std::uint8_t revision) {
    const os::Platform& p = GetPlatform();
    std::array<std::uint8_t, kKXT861BlockSize> deviceBlock{};
    std::array<std::uint8_t, kKXT861BlockSize> newBlock{};
    if (device::CopyFirmwareSlice(p, path, newBlock, 0, kKXT861BlockSize,
                                  device::ImageFamily::KXT861) == 0) {
        return false;
    }
    const bool blockProgramming = device::SupportsBlockProgramming(p, path);
    device::PrepareUpdate(p, path);
    std::array<std::uint8_t, 4> optionRegister{};
    const bool registerBit =
        device::ReadXdata(p, path, kOptionRegister, optionRegister) && (optionRegister[0] & 0x01) != 0;
    if (!device::ReadFlashArea(p, path, 0, deviceBlock)) {
        return false;
    }

    bool optionBit = false;
    if (device::HasConfigSignature(deviceBlock)) {
        optionBit = (deviceBlock[kOptionByte] & kOptionBit1) != 0;
        device::MergeConfigBlock(deviceBlock, newBlock, device::KXT861MergeTable);
    } else {
        deviceBlock = newBlock;
        optionBit = (deviceBlock[kOptionByte] & kOptionBit1) != 0;
    }
    deviceBlock[kOptionByte] |= kOptionBit2;
    if (!registerBit) {
        deviceBlock[kOptionByte] |= kOptionBit1;
    } else if (!optionBit) {
        deviceBlock[kOptionByte] &= static_cast<std::uint8_t>(~kOptionBit1);
    }

    if (blockProgramming || revision == kLateRevision) {
        return device::ProgramKXT861Image(p, path, true, true, deviceBlock);
    }
    return ProgramKXT861BySectors(*this, path, true, true, deviceBlock);
}

bool TK71xFwTool::UpdateKXT850(const os::DevicePath& path) {
    const os::Platform& p = GetPlatform();
    std::array<std::uint8_t, kKXT850BlockSize> deviceBlock{};
    std::array<std::uint8_t, kKXT850BlockSize> newBlock{};
    if (device::CopyFirmwareSlice(p, path, newBlock, kKXT850BlockAddress, kKXT850BlockSize,
                                  device::ImageFamily::KXT850) == 0) {
        return false;
    }
    if (!device::ReadFlashArea(p, path, kKXT850BlockAddress, deviceBlock)) {
        return false;
    }
    if (device::HasConfigSignature(deviceBlock)) {
        device::MergeConfigBlock(deviceBlock, newBlock, device::KXT850MergeTable);
    } else {
        deviceBlock = newBlock;
    }
    return device::ProgramKXT850Image(p, path, true, true, deviceBlock);
}

void TK71xFwTool::ShowUpdateResult(bool updated, const os::DevicePath& path) {
    ExtBtn.shown = true;
    EraseButton.shown = false;
    ExitBtn.shown = false;
    if (!updated) {
        replugLable1.shown = false;
        devLable.shown = true;
        devLable.colour = FontColour::Red;
        devLable.text = std::string(texts::kUpdateFailed);
        return;
    }
    replugLable1.shown = true;
    devLable.shown = false;
    if (device::ClassOf(ChipId) != ChipClass::ChipKXT850) {
        replugLable1.text = std::string(texts::kPowerCycle);
        return;
    }
    const os::Platform& p = GetPlatform();
    device::ResetChip(p, path);
    replugLable1.text = std::string(texts::kWaitReattach);
    Redraw();
    p.ui.ShowMessage(texts::kAutoResetBox, texts::kMessageCaption, os::MessageIcon::None);
}

}  // namespace kxt::app
