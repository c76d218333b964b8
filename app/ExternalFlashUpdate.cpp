#include "app/ExternalFlashUpdate.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "app/AtomicFileWrite.h"
#include "app/BackupFile.h"
#include "app/OlderPathTexts.h"
#include "device/FlashReadiness.h"
#include "device/FlashTypes.h"
#include "device/VendorCommands.h"

namespace kxt::app {
namespace {

constexpr std::string_view kImageType = "FW";
constexpr std::string_view kImageName = "FW719";

constexpr std::size_t kMaxPages = 255;
constexpr std::size_t kFlashAddressSpace = std::size_t{1} << 24;  // 24-bit flash addresses
constexpr std::size_t kLargestSectorErasedImage = 65536;  // larger images erase the whole chip
constexpr std::size_t kLowerHalf = 32768;                 // smaller images skip the upper erase
constexpr std::uint32_t kUpperHalfSector = 0x8000;

// The AMIC boot-sector parts: the small sectors below 0xF000, then the rest.
constexpr std::array<std::uint32_t, 4> kAmicLowerSectors{0x0000, 0x1000, 0x3000, 0x7000};
constexpr std::uint32_t kAmicUpperSector = 0xF000;

constexpr std::chrono::milliseconds kEraseSettle{500};
constexpr std::chrono::milliseconds kVerifySettle{1000};

// Progress steps of one update, in percent of the bar.
constexpr int kEraseStep = 10;
constexpr int kBlankCheckStep = 5;
constexpr int kProgramStartStep = 10;
constexpr int kPageStep = 10;
constexpr int kWrittenStep = 20;
constexpr int kReadBackStep = 10;
constexpr int kEndStep = 10;

// A status text is drawn at once and the window gets to process its events.
void Report(SharedWindowState& window, std::string_view text) {
    window.SetStatus(std::string(text));
    window.LetPendingMessagesThrough();
}

// The image rounded up to whole pages, or nothing when the pages cannot carry it:
// no page size, more than 255 pages, or beyond the 24-bit address space.
std::optional<std::size_t> RoundedImageSize(std::size_t imageSize, std::size_t page) {
    if (page == 0) {
        return std::nullopt;
    }
    const std::size_t pages = (imageSize + page - 1) / page;
    if (pages > kMaxPages || pages * page > kFlashAddressSpace) {
        return std::nullopt;
    }
    return pages * page;
}

// The wait after an erase that went through; a flash still busy is only reported.
void SettleAfterErase(SharedWindowState& window, const os::DevicePath& path) {
    const os::Platform& p = window.GetPlatform();
    p.clock.Sleep(kEraseSettle);
    if (!device::WaitFlashReady(p, path)) {
        Report(window, texts::kNotReadyAfterErase);
    }
}

// An erase whose refusal ends the update; its outcome is left to the blank check.
bool EraseLastSector(SharedWindowState& window, const os::DevicePath& path, std::uint32_t address) {
    const os::Platform& p = window.GetPlatform();
    if (!device::EraseFlashSector(p, path, address)) {
        Report(window, texts::kEraseCommandFail);
        return false;
    }
    p.clock.Sleep(kEraseSettle);
    device::PollFlashStatus(p, path);
    return true;
}

bool EraseWholeChip(SharedWindowState& window, const os::DevicePath& path) {
    if (!device::EraseFlashChip(window.GetPlatform(), path)) {
        Report(window, texts::kEraseCommandFail);
        return false;
    }
    SettleAfterErase(window, path);
    return true;
}

bool EraseAmicSectors(SharedWindowState& window, const os::DevicePath& path, std::size_t length) {
    for (const std::uint32_t address : kAmicLowerSectors) {
        // A small sector that refuses is passed over; the blank check finds it.
        if (device::EraseFlashSector(window.GetPlatform(), path, address)) {
            SettleAfterErase(window, path);
        }
    }
    return length <= kLowerHalf || EraseLastSector(window, path, kAmicUpperSector);
}

bool EraseHalves(SharedWindowState& window, const os::DevicePath& path, std::size_t length) {
    if (!device::EraseFlashSector(window.GetPlatform(), path, 0)) {
        Report(window, texts::kEraseCommandFail);
        return false;
    }
    window.AdvanceProgress(kEraseStep);
    SettleAfterErase(window, path);
    return length <= kLowerHalf || EraseLastSector(window, path, kUpperHalfSector);
}

// Erases what `length` bytes from address 0 need, by the flash's erase layout.
bool EraseForImage(SharedWindowState& window, const os::DevicePath& path, std::size_t length) {
    if (length > kLargestSectorErasedImage) {
        return EraseWholeChip(window, path);
    }
    switch (window.AmicLayoutCode) {
        case 1:
        case 3:
        case 5:
            return EraseAmicSectors(window, path, length);
        case device::kNotAmicLayout:
        case 4:
            return EraseHalves(window, path, length);
        default:
            Report(window, texts::kAmicTypeNotSupported);
            return false;
    }
}

// Writes page after page; after each one the text the status field held before
// programming gets one more dot. Stops at the first page the device refuses.
bool WritePages(SharedWindowState& window, const os::DevicePath& path,
                std::span<const std::uint8_t> image, std::size_t page) {
    std::string dotted = window.StatusEdit.text;
    for (std::size_t offset = 0; offset < image.size(); offset += page) {
        window.AdvanceProgress(kPageStep);
        if (!device::WriteFlash(window.GetPlatform(), path, static_cast<std::uint32_t>(offset),
                                image.subspan(offset, page))) {
            return false;
        }
        dotted += texts::kProgressDot;
        window.SetStatus(dotted);
        window.LetPendingMessagesThrough();
    }
    return true;
}

int Update(SharedWindowState& window, const os::DevicePath& path) {
    const os::Platform& p = window.GetPlatform();
    const auto resource = p.firmware.Find(kImageType, kImageName);
    if (!resource || resource->empty()) {
        Report(window, texts::kLoadDefaultFwError);
        return 0;
    }
    const std::size_t page = window.Settings().TransferPageSize;
    const std::optional<std::size_t> rounded = RoundedImageSize(resource->size(), page);
    if (!rounded) {
        Report(window, texts::kImageTooLargeForPages);
        return 0;
    }
    // The last page is filled up with 0xFF, which leaves erased flash as it is.
    std::vector<std::uint8_t> image;
    std::vector<std::uint8_t> readBack;
    try {
        image.assign(*rounded, 0xFF);
        readBack.assign(*rounded, 0);
    } catch (const std::bad_alloc&) {
        Report(window, texts::kAllocateReadBufferError);
        return 0;
    }
    std::copy(resource->begin(), resource->end(), image.begin());

    if (!device::WaitFlashReady(p, path)) {
        p.ui.DebugTrace(texts::kDeviceInitialNotReady);
    }
    if (!EraseForImage(window, path, image.size())) {
        return 0;
    }
    if (!device::ReadFlash(p, path, 0, readBack)) {
        Report(window, texts::kReadBackErasedError);
        return 0;
    }
    window.AdvanceProgress(kBlankCheckStep);
    if (!AllErased(readBack)) {
        Report(window, texts::kDataNotErased);
        return 0;
    }
    window.AdvanceProgress(kProgramStartStep);
    const bool written = WritePages(window, path, image, page);
    window.AdvanceProgress(kWrittenStep);
    if (!written) {
        Report(window, texts::kProgrammingFail);
        window.AdvanceProgress(kEndStep);
        return 0;
    }
    p.clock.Sleep(kVerifySettle);
    device::PollFlashStatus(p, path);
    if (!device::ReadFlash(p, path, 0, readBack)) {
        Report(window, texts::kFinalReadFail);
        return 0;
    }
    window.AdvanceProgress(kReadBackStep);
    const bool same = readBack == image;
    Report(window, same ? texts::kProgrammingSuccess : texts::kFinalCompareFail);
    window.AdvanceProgress(kEndStep);
    return same ? 1 : 0;
}

}  // namespace

int UpdateExternalFlash(SharedWindowState& window, const os::DevicePath& path) {
    if (window.RdCheckBox.checked && window.EraseOnly != 0) {
        if (EraseExternalFlash(window, path) == 0) {
            return 0;
        }
        window.GetPlatform().ui.ShowMessage(texts::kPowerCycleNotice, texts::kMessageCaption,
                                            os::MessageIcon::None);
        return 1;
    }
    if (window.RdCheckBox.checked && window.BackupFWCheckBox.checked) {
        return BackupExternalFlash(window, path);
    }
    return Update(window, path);
}

int EraseExternalFlash(SharedWindowState& window, const os::DevicePath& path) {
    const os::Platform& p = window.GetPlatform();
    Report(window, texts::kStartEraseOnly);
    const std::uint32_t length = window.Settings().FirmwareSize;
    device::WaitFlashReady(p, path);
    if (EraseFlashPages(window, path, length) == 0) {
        Report(window, texts::kEraseCommandFail);
        return 0;
    }
    p.clock.Sleep(kEraseSettle);
    if (!device::WaitFlashReady(p, path)) {
        Report(window, texts::kNotReadyAfterEraseCommand);
    }
    std::vector<std::uint8_t> readBack;
    try {
        readBack.assign(length, 0);
    } catch (const std::bad_alloc&) {
        Report(window, texts::kAllocateReadBufferError);
        return 0;
    }
    // A blank check that cannot be read leaves the erase commands' word standing.
    if (device::ReadFlash(p, path, 0, readBack) && !AllErased(readBack)) {
        Report(window, texts::kDataNotErased);
        return 0;
    }
    Report(window, texts::kEraseAllFlashSuccess);
    return 1;
}

int BackupExternalFlash(SharedWindowState& window, const os::DevicePath& path) {
    const std::filesystem::path file = ChooseBackupFile(window);
    const std::uint32_t length = window.Settings().FirmwareSize;
    Report(window, texts::kBackingUp);
    std::vector<std::uint8_t> flash;
    try {
        flash.assign(length, 0);
    } catch (const std::bad_alloc&) {
        Report(window, texts::kAllocateReadBufferError);
        return 0;
    }
    if (!device::ReadFlash(window.GetPlatform(), path, 0, flash)) {
        Report(window, texts::kReadBackToBackupError);
        return 0;
    }
    if (!WriteFileAtomically(file, flash)) {
        Report(window, texts::kOpenBackupFileError);
        return 0;
    }
    Report(window, texts::kBackupSuccess);
    return 1;
}

int EraseFlashPages(SharedWindowState& window, const os::DevicePath& path, std::uint32_t length) {
    const os::Platform& p = window.GetPlatform();
    if (!device::WaitFlashReady(p, path)) {
        p.ui.DebugTrace(texts::kDeviceInitialNotReady);
    }
    const std::uint32_t page = window.Settings().TransferPageSize;
    const std::uint32_t pages = page == 0 ? 0 : length / page + (length % page != 0 ? 1 : 0);
    Report(window, texts::kErasing);
    for (std::uint32_t k = 0; k < pages; ++k) {
        device::PollFlashStatus(p, path);
        // k * page stays below `length`, so it cannot wrap.
        if (!device::EraseFlashSector(p, path, k * page)) {
            return 0;
        }
        if (!device::WaitFlashReady(p, path)) {
            p.ui.DebugTrace(texts::kNotReadyAfterErase);
        }
        window.AppendStatus(texts::kProgressDot);
        window.LetPendingMessagesThrough();
    }
    return pages > 0 ? 1 : 0;
}

}  // namespace kxt::app
