#include "device/UpdateImages.h"

#include <algorithm>
#include <exception>
#include <vector>

#include "device/BlockProgramming.h"
#include "device/ChipCapabilities.h"
#include "device/FirmwareCatalogue.h"
#include "device/FlashArea.h"
#include "device/KXT850Image.h"

namespace kxt::device {
namespace {

constexpr std::size_t kFlashImageSize = 0x10000;
constexpr std::size_t kKXT861CodeOffset = 0x80;

bool BuildAndProgramKXT850(const os::Platform& p, const os::DevicePath& path, bool blockFromCaller,
                           bool codeFromEmbedded,
                           std::span<const std::uint8_t, kxt850::kConfigBlockSize> block) {
    const auto readFlash = [&p, &path](std::uint32_t address, std::span<std::uint8_t> destination) {
        return ReadFlashArea(p, path, address, destination);
    };
    const std::optional<std::vector<std::uint8_t>> image =
        BuildKXT850Image(p, path, {blockFromCaller, codeFromEmbedded}, block, readFlash);
    return image && ProgramAndVerify(p, path, *image, true);
}

bool BuildAndProgramKXT861(const os::Platform& p, const os::DevicePath& path, bool codeFromEmbedded,
                           std::span<const std::uint8_t, kKXT861ConfigBlockSize> block) {
    std::vector<std::uint8_t> code(kFlashImageSize - kKXT861CodeOffset, 0);
    std::size_t codeLength = 0;
    if (codeFromEmbedded) {
        const std::size_t imageSize =
            CopyFirmwareSlice(p, path, code, kKXT861CodeOffset, 0, ImageFamily::KXT861);
        if (imageSize <= kKXT861CodeOffset) {
            return false;
        }
        codeLength = std::min(imageSize - kKXT861CodeOffset, code.size());
    }
    std::vector<std::uint8_t> image(kFlashImageSize, 0);
    if (!ReadFlashArea(p, path, 0, image)) {
        return false;
    }
    std::copy(block.begin(), block.end(), image.begin());
    std::copy_n(code.begin(), codeLength, image.begin() + kKXT861CodeOffset);
    return ProgramAndVerify(p, path, image, IsLateRevision(p, path));
}

}  // namespace

bool ProgramKXT850Image(const os::Platform& p, const os::DevicePath& path, bool blockFromCaller,
                        bool codeFromEmbedded,
                        std::span<const std::uint8_t, kxt850::kConfigBlockSize> block) {
    try {
        return BuildAndProgramKXT850(p, path, blockFromCaller, codeFromEmbedded, block);
    } catch (const std::exception&) {
        return false;
    }
}

bool ProgramKXT861Image(const os::Platform& p, const os::DevicePath& path, bool blockFromCaller,
                        bool codeFromEmbedded,
                        std::span<const std::uint8_t, kKXT861ConfigBlockSize> block) {
    if (!blockFromCaller) {
        return false;
    }
    try {
        return BuildAndProgramKXT861(p, path, codeFromEmbedded, block);
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace kxt::device
