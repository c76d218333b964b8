#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace kxt::device {

// The 16-byte identity record that a bridge returns for E0 F4 E7.
struct FirmwareIdentity {
    static constexpr std::size_t kSize = 16;
    // Fewer bytes than this and only the short version is meaningful.
    static constexpr std::int32_t kLongVersionLength = 13;

    std::array<std::uint8_t, kSize> bytes{};

    bool HasSignature() const { return bytes[0] == 0xF4 && bytes[1] == 0xE7; }
    std::uint16_t VendorId() const { return static_cast<std::uint16_t>(bytes[2] << 8 | bytes[3]); }
    std::uint16_t ProductId() const { return static_cast<std::uint16_t>(bytes[4] << 8 | bytes[5]); }
    std::string Model() const { return {bytes.begin() + 8, bytes.begin() + 11}; }
    std::uint8_t RevisionDigit() const { return bytes[11]; }
};

// "Ver %d.%.2d" from bytes 6 and 7.
std::string ShortVersionText(const FirmwareIdentity& identity);
// "Ver %d.%.2d.%.2d" from bytes 12 to 14.
std::string LongVersionText(const FirmwareIdentity& identity);

}  // namespace kxt::device
