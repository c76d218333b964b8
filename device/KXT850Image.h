#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "device/KXT850Layout.h"
#include "os/Platform.h"

namespace kxt::device {

// Reads `destination.size()` bytes of the device's flash from `address`; false
// when any part of the read failed.
using FlashAreaReader =
    std::function<bool(std::uint32_t address, std::span<std::uint8_t> destination)>;

// Where the two halves of a KXT850 flash image come from. The update run takes
// the block from the caller and the code from the embedded image.
struct KXT850ImageSources {
    bool blockFromCaller = true;   // else the device's own block stays
    bool codeFromEmbedded = true;  // else the device's own code stays
};

// The 64 KB flash image for a KXT850, signed: code at 0x0000, the configuration
// block at 0xC000, zero behind it unless the device's own content is kept. Nothing
// when the image would lack code (no embedded image for the device, or neither
// half from its new source) or when reading the device fails.
std::optional<std::vector<std::uint8_t>> BuildKXT850Image(
    const os::Platform& p, const os::DevicePath& path, KXT850ImageSources sources,
    std::span<const std::uint8_t, kxt850::kConfigBlockSize> block,
    const FlashAreaReader& readFlash);

// The checksum as stored at 0xBFFE (high) and 0xBFFF (low), and as computed over
// 0x0000-0xBFFB. Both need an image of at least 0xC000 bytes.
std::uint16_t StoredKXT850Checksum(std::span<const std::uint8_t> image);
std::uint16_t ComputeKXT850Checksum(std::span<const std::uint8_t> image);
void SignKXT850Image(std::span<std::uint8_t> image);

}  // namespace kxt::device
