#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace kxt::emulator {

// The 16-byte identity record a bridge returns for E0 F4 E7: signature F4 E7, USB
// vendor and product ids, short version, three model digits, revision digit, long
// version.
std::array<std::uint8_t, 16> IdentityRecord(std::uint16_t vendorId, std::uint16_t productId,
                                            std::array<std::uint8_t, 2> shortVersion,
                                            const std::string& model, char revision,
                                            std::array<std::uint8_t, 3> longVersion);

}  // namespace kxt::emulator
