#include "emulator/ChipPresets.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string_view>

#include "emulator/IdentityRecord.h"
#include "emulator/SpiFlashPart.h"

namespace kxt::emulator {
namespace {

using namespace std::string_view_literals;

constexpr std::uint16_t kMakerVendorId = 0x4B58;
constexpr std::uint16_t kUsbVariantVendorId = 0x4F7A;
constexpr std::uint16_t kUsbVariantProductId = 0x6A14;

struct IdentityAnswer {
    std::string_view model;  // three digits
    char revision;
    std::uint16_t vendorId = kMakerVendorId;
    std::uint16_t productId = 0x0700;
};

struct ChipPreset {
    std::string_view name;
    std::string_view product;
    std::string_view inquiryChipCode;          // empty: blanks
    std::optional<IdentityAnswer> identity;    // none: E0 F4 E7 unknown to the chip
    bool recordless = false;                   // E0 F4 E7 completes but returns nothing
    std::optional<std::uint8_t> legacyChipId;  // byte 0 of DF .. FF; none: unknown
    std::string_view chipInfo;                 // reply to FF 04 30; empty: unknown
};

// clang-format off
constexpr std::array<ChipPreset, 17> kPresets{{
    // name            product          INQUIRY  identity record                      recordless legacy  chip information
    {"kx40712",       "KX40712 SATA",  "k712",  {},                                   false, {},     "k712C1\0\0"sv},
    {"kx40714",       "KX40714 SATA",  "",      IdentityAnswer{"714", '0'},           false, 0x00,   ""},
    {"kx40716",       "KX40716 SATA",  "",      IdentityAnswer{"716", '1'},           false, 0x00,   ""},
    {"kx40719",       "KX40719 SATA",  "",      {},                                   false, {},     "k719C0\0\0"sv},
    {"kx40708",       "KX40708 SATA",  "k708",  {},                                   false, {},     ""},
    {"kxr741",        "KXR741 SATA",   "k741",  {},                                   false, {},     "k741N\0\0\0"sv},
    {"kxr741-rev2",   "KXR741 SATA",   "k741",  {},                                   false, {},     "k741N1\0\0"sv},
    {"kxr743",        "KXR743 SATA",   "k743",  IdentityAnswer{"743", '1'},           false, {},     ""},
    {"kxr745",        "KXR745 SATA",   "",      IdentityAnswer{"745", '0'},           false, 0x00,   ""},
    {"kxr746",        "KXR746 SATA",   "k746",  {},                                   false, {},     ""},
    {"kxr827",        "KXR827 SATA",   "",      IdentityAnswer{"827", '0'},           false, 0x00,   "k827A1\0\0"sv},
    {"kxr825",        "KXR825 SATA",   "k825",  {},                                   false, {},     ""},
    {"kx40716-reg",   "KX40716 IDE",   "",      {},                                   true,  0x00,   ""},
    {"kx40718-reg",   "KX40718 IDE",   "",      {},                                   true,  0x20,   ""},
    {"kx40719-reg",   "KX40719 IDE",   "",      {},                                   true,  0x40,   ""},
    {"kx40712-reg",   "KX40712 IDE",   "",      {},                                   true,  0x60,   ""},
    {"kx40714-usb",   "KX40714 USB",   "",      IdentityAnswer{"714", '0', kUsbVariantVendorId, kUsbVariantProductId},
                                                                                      false, 0x00,   ""},
}};
// clang-format on

// The flash behind each older bridge: a serial part (32 KB sector-erase units) for
// the external-flash chips, the parallel part of the internal-ROM chips, which
// take ROM commands only after the switch to the internal ROM.
struct PresetFlash {
    std::string_view name;
    std::string_view serialPart;      // empty: none
    std::optional<int> parallelPart;  // none: no internal ROM
};

// clang-format off
constexpr std::array<PresetFlash, 8> kPresetFlash{{
    {"kx40712",     "PMC",     {}},
    {"kx40714",     "",        0},
    {"kx40716",     "ST",      {}},
    {"kx40719",     "MXIC",    {}},
    {"kxr741",      "WINBOND", {}},
    {"kxr741-rev2", "WINBOND", {}},
    {"kxr743",      "EON",     {}},
    {"kx40714-usb", "",        0},
}};
// clang-format on

void ApplyFlash(std::string_view name, Personality& p) {
    const auto flash =
        std::find_if(kPresetFlash.begin(), kPresetFlash.end(),
                     [name](const PresetFlash& entry) { return entry.name == name; });
    if (flash == kPresetFlash.end()) {
        return;
    }
    if (!flash->serialPart.empty()) {
        p.flashPart = *FindSpiFlashPart(std::string(flash->serialPart));
        p.reportedFlashType = p.flashPart.makerCode;
    }
    if (flash->parallelPart) {
        p.parallelFlashPart = flash->parallelPart;
        p.needsRomSwitch = true;
    }
}

void Apply(const ChipPreset& preset, Personality& p) {
    p.product = std::string(preset.product);
    p.inquiryChipCode = std::string(preset.inquiryChipCode);
    if (preset.identity) {
        const IdentityAnswer& answer = *preset.identity;
        p.identity = IdentityRecord(answer.vendorId, answer.productId, {1, 0},
                                    std::string(answer.model), answer.revision, {1, 0, 0});
    }
    if (preset.recordless) {
        p.identity = std::array<std::uint8_t, 16>{};
        p.identityLength = 0;
    }
    if (preset.legacyChipId) {
        p.legacyChipId = std::array<std::uint8_t, 2>{*preset.legacyChipId, 0x00};
    }
    if (!preset.chipInfo.empty()) {
        p.chipInfo = std::vector<std::uint8_t>(preset.chipInfo.begin(), preset.chipInfo.end());
    }
}

}  // namespace

bool ApplyChipPreset(const std::string& name, Personality& p) {
    for (const ChipPreset& preset : kPresets) {
        if (preset.name == name) {
            Apply(preset, p);
            ApplyFlash(name, p);
            return true;
        }
    }
    return false;
}

std::vector<std::string> ChipPresetNames() {
    std::vector<std::string> names;
    for (const ChipPreset& preset : kPresets) {
        names.emplace_back(preset.name);
    }
    return names;
}

}  // namespace kxt::emulator
