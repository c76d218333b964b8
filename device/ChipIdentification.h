#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "device/VendorCommands.h"

namespace kxt::device {

// The bridge models this program knows, by the number the rest of the program
// dispatches on.
enum class ChipClass : std::uint8_t {
    ChipUnknown = 0,
    ChipKX40712 = 1,
    ChipKX40714 = 2,
    ChipKX40716 = 3,
    ChipKX40719 = 4,
    ChipKX40708 = 5,
    ChipKXR741 = 6,
    ChipKXR743 = 7,
    ChipKXR745 = 8,
    ChipKXR746 = 9,
    ChipKXT861 = 10,
    ChipKXR827 = 11,
    ChipKXR825 = 12,
    ChipKXT850 = 13,
    ChipKX40716Reg = 14,
    ChipKX40718Reg = 15,
    ChipKX40719Reg = 16,
    ChipKX40712Reg = 17,
    ChipKX40714Usb = 18,
};

inline constexpr std::size_t kChipClassCount = 19;

// Display names, indexed by the class.
// clang-format off
inline constexpr std::array<std::string_view, kChipClassCount> ChipNames{
    "Unknown Chip",        // 0
    "KX40712 Series",      // 1
    "KX40714 Series",      // 2
    "KX40716 Series",      // 3
    "KX40719 Series",      // 4
    "KX40708 Series",      // 5
    "KXR741 Series",       // 6
    "KXR743 Series",       // 7
    "KXR745 Series",       // 8
    "KXR746 Series",       // 9
    "KXT861/850 Series",   // 10
    "KXR827 Series",       // 11
    "KXR825 Series",       // 12
    "KXT850 Series",       // 13
    "KX40716",             // 14
    "KX40718",             // 15
    "KX40719",             // 16
    "KX40712",             // 17
    "KX40714",             // 18
};
// clang-format on

// The chip behind a device: the class in the low byte, the revision in the high
// byte (0 when none was determined).
using ChipIdentity = std::uint16_t;

constexpr ChipIdentity MakeChipIdentity(ChipClass chipClass, std::uint8_t revision) {
    return static_cast<ChipIdentity>(static_cast<unsigned>(chipClass) | revision << 8U);
}
constexpr ChipClass ClassOf(ChipIdentity identity) {
    return static_cast<ChipClass>(identity & 0xFFU);
}
constexpr std::uint8_t RevisionOf(ChipIdentity identity) {
    return static_cast<std::uint8_t>(identity >> 8U);
}

// The display name of a class; an identity can come from elsewhere than
// IdentifyChip, so a value outside the table reads as unknown.
std::string_view ChipName(ChipClass chipClass);

// Which bridge chip sits behind `path`, and which revision of it. Never fails as
// such: an unreachable or foreign device is class 0. Sends only reading commands,
// at most four. A KXR743 whose revision cannot be read shows the failure box once.
ChipIdentity IdentifyChip(const os::Platform& p, const DevicePath& path);

}  // namespace kxt::device
