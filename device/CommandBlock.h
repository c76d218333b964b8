#pragma once

#include <array>
#include <cstdint>

namespace kxt::device {

// Every request carries a 12-byte command block, zero except for the bytes that
// the command defines; the standard INQUIRY is padded to 12 as well.
inline constexpr std::size_t kCommandLength = 12;
using CommandBlock = std::array<std::uint8_t, kCommandLength>;

}  // namespace kxt::device
