#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace kxt::device {

// The maker of the flash part behind a bridge, as the bridge firmware reports it
// or as the host-side probe finds it.
using FlashType = std::uint8_t;
inline constexpr FlashType kMaxFlashType = 10;
inline constexpr FlashType kUnknownFlashType = 0;  // also what a code above 10 counts as
inline constexpr FlashType kMxicFlashType = 5;

inline constexpr std::array<std::string_view, kMaxFlashType + 1> FlashNames{
    "Unknown", "PMC", "SST", "ST/EON/MXIC", "ATMEL", "MXIC",
    "WINBOND", "AMIC", "EON", "ESMT", "SANYO",
};

// The erase layout of a recognised AMIC part, or kNotAmicLayout for every other flash.
using AmicLayout = int;
inline constexpr AmicLayout kNotAmicLayout = -1;

}  // namespace kxt::device
