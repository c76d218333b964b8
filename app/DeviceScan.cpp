#include <algorithm>
#include <array>
#include <cctype>
#include <new>
#include <vector>

#include "app/TK71xFwTool.h"
#include "app/WindowTexts.h"
#include "device/BlockProgramming.h"
#include "device/DeviceDiscovery.h"
#include "device/FirmwareCatalogue.h"
#include "device/VendorCommands.h"

namespace kxt::app {
namespace {

using device::ChipClass;

constexpr std::size_t kFlashSize = 65536;
constexpr std::size_t kDisplayNameOffset = 8;
constexpr std::size_t kDisplayNameLength = 24;
// The KXT850's code area without its checksum bytes; what follows is the device's own.
constexpr std::size_t kKXT850ComparedBytes = 0xBFFE;
// The KXT861 image starts with the device's own 128-byte configuration block.
constexpr std::size_t kKXT861BlockSize = 128;

bool IsCurrentChip(ChipClass chipClass) {
    return chipClass == ChipClass::ChipKXT861 || chipClass == ChipClass::ChipKXT850;
}

void ToLower(os::DevicePath& path) {
    std::transform(path.begin(), path.end(), path.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
}

bool SameBytes(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b,
               std::size_t from, std::size_t to) {
    return std::equal(a.begin() + static_cast<std::ptrdiff_t>(from),
                      a.begin() + static_cast<std::ptrdiff_t>(to),
                      b.begin() + static_cast<std::ptrdiff_t>(from));
}

}  // namespace

bool TK71xFwTool::IsUpdatableChip(const os::DevicePath& path) {
    return IsCurrentChip(device::ClassOf(device::IdentifyChip(GetPlatform(), path)));
}

bool TK71xFwTool::IsFirmwareCurrent(const os::DevicePath& path) {
    const os::Platform& p = GetPlatform();
    const ChipClass chipClass = device::ClassOf(device::IdentifyChip(p, path));
    if (!IsCurrentChip(chipClass)) {
        return false;
    }
    try {
        std::vector<std::uint8_t> flash(kFlashSize, 0);
        std::vector<std::uint8_t> image(kFlashSize, 0);
        const bool kxt850 = chipClass == ChipClass::ChipKXT850;
        const std::size_t imageSize =
            device::CopyFirmwareSlice(p, path, image, 0, 0,
                                      kxt850 ? device::ImageFamily::KXT850 : device::ImageFamily::KXT861);
        if (!device::ReadFlashArea(p, path, 0, flash)) {
            return false;
        }
        // Without an embedded image nothing is current, whatever the flash holds.
        if (imageSize == 0) {
            return false;
        }
        if (kxt850) {
            return SameBytes(flash, image, 0, kKXT850ComparedBytes);
        }
        return imageSize > kKXT861BlockSize &&
               SameBytes(flash, image, kKXT861BlockSize, std::min(imageSize, kFlashSize));
    } catch (const std::bad_alloc&) {
        return false;
    }
}

void TK71xFwTool::RefreshBtnClick() {
    if (busy_) {
        rescanDue_ = true;
        return;
    }
    replugLable1.shown = false;
    ExtBtn.shown = false;
    devLable.shown = true;

    const os::Platform& p = GetPlatform();
    device::DevicePathTable table;
    const std::size_t disks = device::EnumDiskInterfaces(p, table);
    const std::size_t cdroms = device::EnumCdromInterfaces(p, table, disks);
    DeviceCount = static_cast<std::int32_t>(disks + cdroms);
    devicesLeftOut_ = table.leftOut;
    listed_ = 0;

    bool alreadyUpdatedSeen = false;
    if (DeviceCount == 0) {
        ShowNoDevicesDiscovered();
    } else {
        std::vector<os::DevicePath> paths(table.paths.begin(), table.paths.begin() + DeviceCount);
        ExamineDevices(paths, alreadyUpdatedSeen);
        // Every CD-ROM interface gets vendor mode and is released when the window goes.
        ReleaseList.assign(paths.begin() + static_cast<std::ptrdiff_t>(disks), paths.end());
        for (const os::DevicePath& path : ReleaseList) {
            device::EnableVendorMode(p, path);
        }
        DeviceList.enabled = true;
        DeviceList.index = 0;
        UpdateBtnCheck();
    }
    ShowScanResult(alreadyUpdatedSeen);
    Redraw();
}

void TK71xFwTool::ShowNoDevicesDiscovered() {
    DeviceList.items = {std::string(texts::kNoAvailableDevice)};
    DeviceList.index = 0;
    DeviceList.enabled = false;
    UpdateBtn.enabled = false;
    for (Edit* edit : {&ChipLabelEdit, &DiskLetterLable, &FwVerLableEdit, &SFlashTypeLable, &StatusEdit}) {
        edit->text.clear();
    }
    FlashTypeList.enabled = false;
    A1ChipCheck.enabled = false;
    NVRAMCheck.shown = false;
    ReleaseList.clear();
}

void TK71xFwTool::ExamineDevices(std::vector<os::DevicePath>& paths, bool& alreadyUpdatedSeen) {
    const os::Platform& p = GetPlatform();
    DeviceList.items.clear();
    std::string displayName;
    for (os::DevicePath& path : paths) {
        const bool listable = mode_ == WindowMode::Engineering
                                  ? device::ClassOf(device::IdentifyChip(p, path)) != ChipClass::ChipUnknown
                                  : IsUpdatableChip(path);
        if (!listable) {
            continue;
        }
        ToLower(path);
        std::array<std::uint8_t, 40> inquiry{};
        if (device::Inquiry(p, path, inquiry)) {
            // A name shorter than its field ends at its first zero byte.
            const auto first = inquiry.begin() + kDisplayNameOffset;
            displayName.assign(first, std::find(first, first + kDisplayNameLength, 0));
        }
        DeviceTable[listed_] = {path, ""};
        device::EnableVendorMode(p, path);
        if (IsFirmwareCurrent(path)) {
            alreadyUpdatedSeen = true;
            continue;
        }
        DeviceList.items.push_back(std::string(texts::kListItemPrefix) + displayName);
        ++listed_;
    }
}

void TK71xFwTool::ShowScanResult(bool alreadyUpdatedSeen) {
    const bool ready = listed_ > 0;
    devLable.colour = ready ? FontColour::Black : FontColour::Red;
    devLable.text = std::string(ready                ? texts::kReady
                                : alreadyUpdatedSeen ? texts::kAlreadyUpdated
                                                     : texts::kNoDeviceFound);
    EraseButton.shown = EraseButton.enabled = ready;
    ExitBtn.shown = ExitBtn.enabled = ready;
    ExtBtn.shown = !ready;
}

}  // namespace kxt::app
