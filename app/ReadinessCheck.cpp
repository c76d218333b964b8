#include <array>
#include <cstdio>

#include "app/TK71xFwTool.h"
#include "app/WindowTexts.h"
#include "device/FirmwareFileCheck.h"
#include "device/FirmwareIdentity.h"
#include "device/SerialFlashProbe.h"
#include "device/VendorCommands.h"

namespace kxt::app {
namespace {

using device::ChipClass;

bool HasExternalFlash(ChipClass c) {
    return c == ChipClass::ChipKX40712 || c == ChipClass::ChipKX40716 ||
           c == ChipClass::ChipKX40719 || c == ChipClass::ChipKXR741 || c == ChipClass::ChipKXR743;
}

bool HasInternalRom(ChipClass c) {
    return c == ChipClass::ChipKX40714 || c == ChipClass::ChipKX40714Usb;
}

// What the version field shows when the identity query cannot be sent.
std::string DefaultVersionText(ChipClass c) {
    if (c == ChipClass::ChipUnknown) return "00.00";
    if (c == ChipClass::ChipKX40712 || c == ChipClass::ChipKX40714 || c == ChipClass::ChipKX40719) {
        return "02.00";
    }
    return "01.00";
}

// A flash-type code beyond the name table shows as unknown rather than indexing past it.
std::string_view FlashName(std::uint8_t code) {
    return code <= device::kMaxFlashType ? device::FlashNames[code] : device::FlashNames[0];
}

}  // namespace

const os::DevicePath* TK71xFwTool::SelectedPath() const {
    if (DeviceList.index < 0 || static_cast<std::size_t>(DeviceList.index) >= listed_) {
        return nullptr;
    }
    return &DeviceTable[static_cast<std::size_t>(DeviceList.index)].path;
}

void TK71xFwTool::UpdateBtnCheck() {
    NVRAMCheck.shown = false;
    const os::DevicePath* selected = SelectedPath();
    if (selected == nullptr) {
        Redraw();
        return;
    }
    const os::DevicePath path = *selected;
    const os::Platform& p = GetPlatform();
    ChipId = device::IdentifyChip(p, path);

    if (DeviceList.enabled && !FwFilenameEdit.text.empty()) {
        if (device::CheckFirmwareFile(p.ui, FwFilenameEdit.text, ChipId)) {
            UpdateBtn.enabled = true;
        } else {
            p.ui.ShowMessage(texts::kFileMismatch, texts::kMessageCaption, os::MessageIcon::None);
            UpdateBtn.enabled = false;
        }
    }

    StatusEdit.text.clear();
    SFlashTypeLable.text.clear();
    FwVerLableEdit.text.clear();
    const ChipClass chipClass = device::ClassOf(ChipId);
    ChipLabelEdit.text = std::string(device::ChipName(chipClass));
    if (HasExternalFlash(chipClass)) {
        SFlashTypeLable.shown = true;
        FlashTypeList.shown = false;
        FlashTypeLabel.shown = false;
        A1ChipCheck.shown = false;
        if (chipClass == ChipClass::ChipKXR741) {
            NVRAMCheck.shown = true;
        }
        ShowFlashType(path);
    } else if (HasInternalRom(chipClass)) {
        SFlashTypeLable.shown = false;
        A1ChipCheck.shown = true;
        A1ChipCheck.enabled = true;
    } else {
        SFlashTypeLable.shown = false;
        FlashTypeList.shown = false;
        FlashTypeLabel.shown = false;
        A1ChipCheck.shown = false;
        StatusEdit.text = std::string(texts::kNotSupported);
    }
    ShowFirmwareVersion(path);
    DiskLetterLable.text = DeviceTable[static_cast<std::size_t>(DeviceList.index)].driveLetters;
    Redraw();
}

void TK71xFwTool::ShowFlashType(const os::DevicePath& path) {
    const os::Platform& p = GetPlatform();
    AmicLayoutCode = device::ReadAmicLayout(p, path);
    if (AmicLayoutCode != device::kNotAmicLayout) {
        SFlashTypeLable.text = std::string(texts::kAmic);
        return;
    }
    std::array<std::uint8_t, 4> reply{};
    if (device::ReadFlashType(p, path, reply)) {
        SFlashTypeLable.text = std::string(FlashName(reply[0]));
    }
}

void TK71xFwTool::ShowFirmwareVersion(const os::DevicePath& path) {
    device::FirmwareIdentity identity;
    std::int32_t transferred = 0;
    if (!device::ReadFirmwareIdentity(GetPlatform(), path, identity.bytes, transferred)) {
        FwVerLableEdit.text = DefaultVersionText(device::ClassOf(ChipId));
        return;
    }
    if (!identity.HasSignature()) {
        StatusEdit.text = std::string(texts::kNotKavrixChip);
        return;
    }
    FwVerLableEdit.text = transferred >= device::FirmwareIdentity::kLongVersionLength
                              ? device::LongVersionText(identity)
                              : device::ShortVersionText(identity);
}

}  // namespace kxt::app
