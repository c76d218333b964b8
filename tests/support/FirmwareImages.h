#pragma once

#include <cstdint>
#include <vector>

namespace kxt::testing {

// A KXT850 image with the embedded layout (0xC100 bytes): pseudo-random code, the
// marker, a signed checksum and a default configuration block ending in "KX".
std::vector<std::uint8_t> MakeKXT850Image(std::uint32_t seed);

// A KXT861 image: a 128-byte default configuration block ending in "KX", then code.
std::vector<std::uint8_t> MakeKXT861Image(std::uint32_t seed, std::size_t size = 0x9000);

}  // namespace kxt::testing
