#include "device/BlockProgramming.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <new>
#include <vector>

#include "device/FlashReadiness.h"
#include "device/SerialFlashProbe.h"

namespace kxt::device {
namespace {

// Large blocks first; the whole flash when blocks were not enough; small blocks last.
constexpr std::array<EraseMode, 3> kAttemptModes{kEraseLargeBlocks, kEraseWholeFlash,
                                                 kEraseSmallBlocks};

// MXIC parts get the first 4 KB written once with a large-block erase before the
// attempts, and a pause after it.
constexpr std::size_t kMxicPreWriteLength = 4096;
constexpr std::chrono::milliseconds kMxicPreWritePause{500};

FlashType LearnFlashType(const os::Platform& p, const DevicePath& path, bool detectionAllowed) {
    WaitFlashReady(p, path);
    std::array<std::uint8_t, 4> reply{};
    if (!ReadFlashType(p, path, reply)) {
        return kUnknownFlashType;
    }
    // A code beyond the known parts names nothing we can use: as good as unknown.
    FlashType type = reply[0] <= kMaxFlashType ? reply[0] : kUnknownFlashType;
    FlashType probed = kUnknownFlashType;
    if (type == kUnknownFlashType && detectionAllowed && IdentifySerialFlash(p, path, probed)) {
        type = probed;
    }
    return type;
}

void PreWriteMxicFirstBlock(const os::Platform& p, const DevicePath& path,
                            std::span<const std::uint8_t> image) {
    std::array<std::uint8_t, kMxicPreWriteLength> first{};  // zero beyond a shorter image
    std::copy_n(image.begin(), std::min(image.size(), first.size()), first.begin());
    WaitFlashReady(p, path);
    if (WriteFlashBlock(p, path, 0, first, kEraseLargeBlocks)) {
        p.clock.Sleep(kMxicPreWritePause);
    }
}

bool Attempt(const os::Platform& p, const DevicePath& path, std::span<const std::uint8_t> image,
             std::span<std::uint8_t> readBack, EraseMode mode, FlashType type) {
    const bool written = WriteFlashArea(p, path, 0, image, mode, type);
    WaitFlashReady(p, path);
    return written && ReadFlashArea(p, path, 0, readBack) &&
           std::equal(image.begin(), image.end(), readBack.begin());
}

bool Program(const os::Platform& p, const DevicePath& path, std::span<const std::uint8_t> image,
             bool detectionAllowed) {
    if (image.empty()) {
        return false;
    }
    std::vector<std::uint8_t> readBack(image.size(), 0);
    const FlashType type = LearnFlashType(p, path, detectionAllowed);
    if (type == kMxicFlashType) {
        PreWriteMxicFirstBlock(p, path, image);
    }
    return std::ranges::any_of(kAttemptModes, [&](EraseMode mode) {
        return Attempt(p, path, image, readBack, mode, type);
    });
}

}  // namespace

bool ProgramAndVerify(const os::Platform& p, const DevicePath& path,
                      std::span<const std::uint8_t> image, bool detectionAllowed) {
    try {
        return Program(p, path, image, detectionAllowed);
    } catch (const std::bad_alloc&) {
        return false;
    }
}

}  // namespace kxt::device
