#include "app/NvramFamilyUpdate.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <ctime>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "app/AtomicFileWrite.h"
#include "app/BackupFile.h"
#include "app/OlderPathTexts.h"
#include "device/ChipIdentification.h"
#include "device/FlashReadiness.h"
#include "device/VendorCommands.h"

namespace kxt::app {
namespace {

using device::ChipClass;

constexpr std::size_t kNvramSize = 4096;
constexpr std::size_t kTransferUnit = 16384;
constexpr std::size_t kEraseUnit = 32768;
constexpr int kStep = 10;
constexpr int kFinalStep = 20;

struct NvramImage {
    std::uint8_t revision;
    std::string_view name;
};
constexpr std::string_view kImageType = "FW";
constexpr std::array<NvramImage, 2> kImages{{{1, "FW741A"}, {2, "FW741B"}}};

std::optional<std::span<const std::uint8_t>> FindImage(const os::Platform& p,
                                                       device::ChipIdentity chip) {
    if (device::ClassOf(chip) != ChipClass::ChipKXR741) {
        return std::nullopt;
    }
    for (const NvramImage& image : kImages) {
        if (image.revision == device::RevisionOf(chip)) {
            const auto found = p.firmware.Find(kImageType, image.name);
            return found && !found->empty() ? found : std::nullopt;
        }
    }
    return std::nullopt;
}

// At least one transfer unit, rounded up to whole units.
std::size_t FlashImageSize(std::size_t resourceSize) {
    const std::size_t size = std::max(resourceSize, kTransferUnit);
    return (size + kTransferUnit - 1) / kTransferUnit * kTransferUnit;
}

// The saved settings, then the resource's own bytes after them, then zeros.
void BuildImage(std::span<std::uint8_t> image, std::span<const std::uint8_t> nvram,
                std::span<const std::uint8_t> resource) {
    std::fill(image.begin(), image.end(), 0);
    std::copy(nvram.begin(), nvram.end(), image.begin());
    if (resource.size() > kNvramSize) {
        std::copy(resource.begin() + kNvramSize, resource.end(), image.begin() + kNvramSize);
    }
}

std::string LocalTimestamp() {
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm local{};
    if (const std::tm* converted = std::localtime(&now)) {
        local = *converted;
    }
    std::array<char, 32> text{};
    std::strftime(text.data(), text.size(), "%Y%m%d-%H%M%S", &local);
    return text.data();
}

// Keeps the device's settings on disk before anything is erased, under a name no
// file has yet. `file` names where they went, or were meant to go.
bool SaveNvramCopy(const SharedWindowState& window, std::span<const std::uint8_t> nvram,
                   std::filesystem::path& file) {
    file = BackupFolder(window);
    const auto unused = UnusedFileName(file, "nvram-" + LocalTimestamp(), ".bak");
    if (!unused) {
        return false;
    }
    file = *unused;
    return WriteFileAtomically(file, nvram);
}

// A failure once erasing has begun: its text, if it has one, and where the
// device's settings are kept.
void ReportWithNvramCopy(SharedWindowState& window, std::string_view text,
                         const std::filesystem::path& copy) {
    std::string status(text);
    if (!status.empty()) {
        status += ' ';
    }
    window.SetStatus(status + std::string(texts::kNvramCopySavedAs) + copy.string());
}

// Erases 32 KB blocks and proves each one blank by two 16 KB reads.
bool EraseBlocks(SharedWindowState& window, const os::DevicePath& path, std::size_t imageSize,
                 std::span<std::uint8_t> readBack) {
    const os::Platform& p = window.GetPlatform();
    for (std::size_t block = 0; block * kEraseUnit < imageSize; ++block) {
        window.AdvanceProgress(kStep);
        device::WaitFlashReady(p, path);
        const auto base = static_cast<std::uint32_t>(block * kEraseUnit);
        if (!device::EraseFlashSector(p, path, base)) {
            return false;
        }
        for (std::uint32_t half = 0; half < kEraseUnit; half += kTransferUnit) {
            device::WaitFlashReady(p, path);
            if (!device::ReadFlash(p, path, base + half, readBack) || !AllErased(readBack)) {
                return false;
            }
        }
    }
    return true;
}

enum class WriteOutcome { Written, CommandFailed, Differs };

WriteOutcome WriteAndVerify(SharedWindowState& window, const os::DevicePath& path,
                            std::span<const std::uint8_t> image, std::span<std::uint8_t> readBack) {
    const os::Platform& p = window.GetPlatform();
    for (std::size_t offset = 0; offset < image.size(); offset += kTransferUnit) {
        const auto address = static_cast<std::uint32_t>(offset);
        const auto block = image.subspan(offset, kTransferUnit);
        window.AdvanceProgress(kStep);
        device::WaitFlashReady(p, path);
        if (!device::WriteFlash(p, path, address, block)) {
            return WriteOutcome::CommandFailed;
        }
        device::WaitFlashReady(p, path);
        if (!device::ReadFlash(p, path, address, readBack)) {
            return WriteOutcome::CommandFailed;
        }
        window.AdvanceProgress(kStep);
        if (!std::equal(block.begin(), block.end(), readBack.begin())) {
            return WriteOutcome::Differs;
        }
    }
    return WriteOutcome::Written;
}

int Update(SharedWindowState& window, const os::DevicePath& path) {
    const os::Platform& p = window.GetPlatform();
    std::vector<std::uint8_t> nvram(kNvramSize, 0);
    device::WaitFlashReady(p, path);
    if (!device::ReadFlash(p, path, 0, nvram)) {
        window.SetStatus(std::string(texts::kBackupNvramFail));
        return 0;
    }
    const auto resource = FindImage(p, device::IdentifyChip(p, path));
    if (!resource) {
        return 0;
    }
    std::vector<std::uint8_t> readBack(kTransferUnit, 0);
    std::vector<std::uint8_t> image(FlashImageSize(resource->size()), 0);

    std::filesystem::path copy;
    if (!SaveNvramCopy(window, nvram, copy)) {
        window.SetStatus(std::string(texts::kNvramCopyNotSaved) + copy.string());
        return 0;
    }
    if (!EraseBlocks(window, path, image.size(), readBack)) {
        ReportWithNvramCopy(window, "", copy);
        return 0;
    }
    window.AdvanceProgress(kStep);
    BuildImage(image, nvram, *resource);
    switch (WriteAndVerify(window, path, image, readBack)) {
        case WriteOutcome::CommandFailed:
            ReportWithNvramCopy(window, texts::kWriteCommandFail, copy);
            return 0;
        case WriteOutcome::Differs:
            ReportWithNvramCopy(window, "", copy);
            return 0;
        case WriteOutcome::Written:
            break;
    }
    window.AdvanceProgress(kFinalStep);
    return 1;
}

}  // namespace

int UpdateNvramFamily(SharedWindowState& window, const os::DevicePath& path) {
    try {
        return Update(window, path);
    } catch (const std::bad_alloc&) {
        window.SetStatus(std::string(texts::kAllocateBuffersError));
        return 0;
    }
}

}  // namespace kxt::app
