#include "device/ImageChecksum.h"

#include <algorithm>

namespace kxt::device {

std::uint16_t Crc16Step(std::uint16_t crc, std::uint32_t word) {
    for (int shift = 28; shift >= 0; shift -= 4) {
        const unsigned nibble = (word >> shift) & 0xFU;
        const unsigned index = ((crc >> 12U) ^ nibble) & 0xFU;
        crc = static_cast<std::uint16_t>((crc << 4U) ^ (index << 12U) ^ (index << 5U) ^ index);
    }
    return crc;
}

std::uint16_t ImageChecksum(std::span<const std::uint8_t> bytes, std::uint16_t seed) {
    std::uint16_t crc = seed;
    for (std::size_t at = 0; at + 4 <= bytes.size(); at += 4) {
        const std::uint32_t word = std::uint32_t{bytes[at]} | std::uint32_t{bytes[at + 1]} << 8U |
                                   std::uint32_t{bytes[at + 2]} << 16U |
                                   std::uint32_t{bytes[at + 3]} << 24U;
        crc = Crc16Step(crc, word);
    }
    return crc;
}

bool IsBlankArea(std::span<const std::uint8_t> bytes) {
    return std::ranges::all_of(bytes,
                               [](std::uint8_t byte) { return byte == 0x00 || byte == 0xFF; });
}

}  // namespace kxt::device
