#include "device/KXT850Image.h"

#include <algorithm>
#include <exception>

#include "device/FirmwareCatalogue.h"
#include "device/ImageChecksum.h"

namespace kxt::device {
namespace {

using namespace kxt850;

// The area read from the device when its own configuration block is to stay.
constexpr std::size_t kDeviceBlockAreaLength = 4096;

// The device's area from 0xC000 is kept when it holds a signed configuration block.
bool DeviceBlockIsUsable(std::span<const std::uint8_t> area) {
    return !IsBlankArea(area) && HasConfigSignature(area.first(kConfigBlockSize));
}

// Copies embedded bytes from 0 into the image; false when the device has no
// embedded image that holds at least the code area and its default block.
bool CopyEmbedded(const os::Platform& p, const os::DevicePath& path, std::span<std::uint8_t> image,
                  std::size_t length) {
    const std::size_t size =
        CopyFirmwareSlice(p, path, image.first(length), 0, length, ImageFamily::KXT850);
    return size >= kEmbeddedImageMinSize;
}

bool Fill(const os::Platform& p, const os::DevicePath& path, KXT850ImageSources sources,
          std::span<const std::uint8_t, kConfigBlockSize> block, const FlashAreaReader& readFlash,
          std::span<std::uint8_t> image) {
    const auto blockArea = image.subspan(kConfigBlockOffset, kConfigBlockSize);
    if (sources.blockFromCaller && sources.codeFromEmbedded) {
        if (!CopyEmbedded(p, path, image, kCodeAreaSize))
            return false;
        std::ranges::copy(block, blockArea.begin());
        return true;
    }
    if (sources.blockFromCaller) {
        if (!readFlash(0, image))
            return false;
        std::ranges::copy(block, blockArea.begin());
        return true;
    }
    if (sources.codeFromEmbedded) {
        const auto deviceArea = image.subspan(kConfigBlockOffset, kDeviceBlockAreaLength);
        if (!readFlash(kConfigBlockOffset, deviceArea))
            return false;
        const std::size_t length =
            DeviceBlockIsUsable(deviceArea) ? kCodeAreaSize : kFlashImageSize;
        return CopyEmbedded(p, path, image, length);
    }
    return false;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> BuildKXT850Image(
    const os::Platform& p, const os::DevicePath& path, KXT850ImageSources sources,
    std::span<const std::uint8_t, kConfigBlockSize> block, const FlashAreaReader& readFlash) {
    try {
        std::vector<std::uint8_t> image(kFlashImageSize, 0);
        if (!Fill(p, path, sources, block, readFlash, image)) {
            return std::nullopt;
        }
        SignKXT850Image(image);
        return image;
    } catch (const std::exception&) {
        // Allocation failure or a failing reader: no image rather than a half-built one.
        return std::nullopt;
    }
}

std::uint16_t StoredKXT850Checksum(std::span<const std::uint8_t> image) {
    return static_cast<std::uint16_t>(image[kChecksumOffset] << 8U | image[kChecksumOffset + 1]);
}

std::uint16_t ComputeKXT850Checksum(std::span<const std::uint8_t> image) {
    return ImageChecksum(image.first(kChecksummedLength), 0);
}

void SignKXT850Image(std::span<std::uint8_t> image) {
    const std::uint16_t checksum = ComputeKXT850Checksum(image);
    image[kChecksumOffset] = static_cast<std::uint8_t>(checksum >> 8U);
    image[kChecksumOffset + 1] = static_cast<std::uint8_t>(checksum);
}

}  // namespace kxt::device
