#pragma once

#include <cstdint>
#include <span>

namespace kxt::device {

// CRC-16 with polynomial 0x1021, not reflected, no final XOR, folded over
// little-endian 32-bit words one nibble at a time, most significant nibble first.
std::uint16_t Crc16Step(std::uint16_t crc, std::uint32_t word);

// The CRC over the whole 32-bit words of `bytes`, starting from `seed`; trailing
// bytes that do not fill a word are not part of it.
std::uint16_t ImageChecksum(std::span<const std::uint8_t> bytes, std::uint16_t seed);

// True when every byte is 0x00 or 0xFF (erased or never written); an empty area is blank.
bool IsBlankArea(std::span<const std::uint8_t> bytes);

}  // namespace kxt::device
