#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// Where things sit in a KXT850 flash image. The embedded KXT850 image carries the
// first 0xC100 bytes of it: the code area with its checksum and a default
// configuration block.
namespace kxt::device::kxt850 {

inline constexpr std::size_t kFlashImageSize = 0x10000;

inline constexpr std::size_t kCodeAreaSize = 0xC000;  // code, marker and checksum

inline constexpr std::size_t kMarkerOffset = 0xBFF0;
inline constexpr std::array<std::uint8_t, 4> kMarker{0x55, 0xAA, 0xAA, 0x55};
inline constexpr std::size_t kModelTagOffset = 0xBFF4;  // four ASCII characters, "8501"
inline constexpr std::size_t kModelTagLength = 4;

inline constexpr std::size_t kChecksummedLength = 0xBFFC;  // bytes 0xBFFC on are outside the sum
inline constexpr std::size_t kChecksumOffset = 0xBFFE;     // high byte, low byte follows

inline constexpr std::size_t kConfigBlockOffset = 0xC000;
inline constexpr std::size_t kConfigBlockSize = 256;
inline constexpr std::size_t kConfigBlockEnd = kConfigBlockOffset + kConfigBlockSize;

// The smallest embedded image: code area and default configuration block.
inline constexpr std::size_t kEmbeddedImageMinSize = kConfigBlockEnd;

}  // namespace kxt::device::kxt850
