#include "app/SectorProgramming.h"

#include <algorithm>
#include <chrono>
#include <new>
#include <vector>

#include "device/FirmwareCatalogue.h"
#include "device/IDEAccess.h"

namespace kxt::app {
namespace {

constexpr std::size_t kWriteChunk = 8192;
constexpr std::uint32_t kSectorSize = 0x8000;
constexpr std::size_t kImageSize = 65536;
constexpr int kPhaseStep = 10;
constexpr std::chrono::milliseconds kSettlePause{500};

std::size_t RoundUp(std::size_t value, std::size_t unit) { return (value + unit - 1) / unit * unit; }

bool AllErased(std::span<const std::uint8_t> bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t byte) { return byte == 0xFF; });
}

bool EraseSectors(const os::Platform& p, const os::DevicePath& path, std::size_t sectors) {
    for (std::size_t s = 0; s < sectors; ++s) {
        device::WaitFlashReady(p, path);
        if (!device::EraseFlashSector(p, path, static_cast<std::uint32_t>(s * kSectorSize))) {
            return false;
        }
    }
    return true;
}

// Flash that is not blank after the sector erases gets one whole-chip erase. Only
// a chip erase that was accepted and a re-read that still finds data fail here; a
// refused chip erase leaves the verdict to the final comparison.
bool EnsureBlank(SharedWindowState& window, const os::DevicePath& path,
                 std::span<std::uint8_t> readBack) {
    const os::Platform& p = window.GetPlatform();
    if (!ReadFlashWithStatus(window, path, 0, readBack)) {
        return false;
    }
    if (AllErased(readBack)) {
        return true;
    }
    device::WaitFlashReady(p, path);
    if (!device::EraseFlashChip(p, path)) {
        return true;
    }
    p.clock.Sleep(kSettlePause);
    device::WaitFlashReady(p, path);
    if (!ReadFlashWithStatus(window, path, 0, readBack)) {
        return true;
    }
    return AllErased(readBack);
}

bool WriteChunks(const os::Platform& p, const os::DevicePath& path,
                 std::span<const std::uint8_t> image) {
    for (std::size_t offset = 0; offset < image.size(); offset += kWriteChunk) {
        device::WaitFlashReady(p, path);
        if (!device::WriteFlash(p, path, static_cast<std::uint32_t>(offset),
                                image.subspan(offset, kWriteChunk))) {
            return false;
        }
    }
    return true;
}

bool Program(SharedWindowState& window, const os::DevicePath& path,
            std::span<const std::uint8_t> image) {
    const os::Platform& p = window.GetPlatform();
    const std::size_t length = RoundUp(image.size(), kWriteChunk);
    std::vector<std::uint8_t> writeBuffer(length, 0);
    std::vector<std::uint8_t> readBuffer(length, 0);
    std::copy(image.begin(), image.end(), writeBuffer.begin());

    window.AdvanceProgress(kPhaseStep);
    if (!EraseSectors(p, path, RoundUp(length, kSectorSize) / kSectorSize)) {
        return false;
    }
    window.AdvanceProgress(kPhaseStep);
    if (!EnsureBlank(window, path, readBuffer)) {
        return false;
    }
    window.AdvanceProgress(kPhaseStep);
    if (!WriteChunks(p, path, writeBuffer)) {
        return false;
    }
    window.AdvanceProgress(kPhaseStep);
    if (length > 0) {
        p.clock.Sleep(kSettlePause);
        device::WaitFlashReady(p, path);
        if (!ReadFlashWithStatus(window, path, 0, readBuffer) || readBuffer != writeBuffer) {
            return false;
        }
    }
    window.AdvanceProgress(kPhaseStep);
    return true;
}

}  // namespace

bool ProgramKXT861BySectors(SharedWindowState& window, const os::DevicePath& path,
                            bool blockFromCaller, bool codeFromEmbedded,
                            std::span<const std::uint8_t, 128> block) {
    if (!blockFromCaller || !codeFromEmbedded) {
        return false;
    }
    try {
        std::vector<std::uint8_t> image(kImageSize, 0);
        if (device::CopyFirmwareSlice(window.GetPlatform(), path, image, 0, 0,
                                      device::ImageFamily::KXT861) == 0) {
            return false;
        }
        std::copy(block.begin(), block.end(), image.begin());
        return SectorProgram(window, path, image);
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool SectorProgram(SharedWindowState& window, const os::DevicePath& path,
                   std::span<const std::uint8_t> image) {
    try {
        return Program(window, path, image);
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool ReadFlashWithStatus(SharedWindowState& window, const os::DevicePath& path,
                        std::uint32_t address, std::span<std::uint8_t> destination) {
    const os::Platform& p = window.GetPlatform();
    if (!device::WaitFlashReady(p, path)) {
        p.ui.DebugTrace("0.1 Device initial not ready!!");
    }
    const std::size_t page = window.Settings().TransferPageSize;
    if (page == 0) {
        return false;
    }
    const std::size_t pages = (destination.size() + page - 1) / page;
    window.SetStatus("ReadFlash...");
    window.LetPendingMessagesThrough();
    std::vector<std::uint8_t> pageBuffer(page);
    for (std::size_t k = 0; k < pages; ++k) {
        device::PollFlashStatus(p, path);
        const std::size_t offset = k * page;
        if (!device::ReadFlash(p, path, static_cast<std::uint32_t>(address + offset), pageBuffer)) {
            return false;
        }
        const std::size_t fits = std::min(page, destination.size() - offset);
        std::copy_n(pageBuffer.begin(), fits, destination.begin() + static_cast<std::ptrdiff_t>(offset));
        window.AppendStatus(".");
        window.LetPendingMessagesThrough();
    }
    return pages > 0;
}

}  // namespace kxt::app
