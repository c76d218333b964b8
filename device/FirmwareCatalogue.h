#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "os/Platform.h"

// Which embedded image belongs to an attached device, and slices of it.
namespace kxt::device {

// The two families of current bridges; each is a resource type of its own.
enum class ImageFamily { KXT861, KXT850 };

std::string_view ResourceType(ImageFamily family);

// The resource name formed from the device's identity record ("FW6701"), with the
// family's default name when no such image is embedded; empty when the device
// gives no valid identity record. Sends one identity request.
std::string SelectFirmwareResource(const os::Platform& p, const os::DevicePath& path,
                                   ImageFamily family);

// Copies `length` bytes (0: up to the end of the image) from `sourceOffset` of the
// device's image to the start of `destination` and returns the size of the whole
// image, or 0 when there is none; the destination is then untouched. A length that
// runs past the image end is cut at the end, an offset past the end copies nothing,
// and nothing is ever written beyond the destination.
std::size_t CopyFirmwareSlice(const os::Platform& p, const os::DevicePath& path,
                              std::span<std::uint8_t> destination, std::size_t sourceOffset,
                              std::size_t length, ImageFamily family);

// A configuration block ends in "KX"; only that position counts.
bool HasConfigSignature(std::span<const std::uint8_t> block);

}  // namespace kxt::device
