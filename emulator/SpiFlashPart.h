#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace kxt::emulator {

// One erasable region of a flash with a non-uniform sector layout.
struct FlashSector {
    std::uint32_t start;
    std::uint32_t size;
};

// The flash part behind an emulated bridge, as its datasheet describes it: its
// answers to the identification opcodes and its erase units.
struct SpiFlashPart {
    std::string name;
    std::uint8_t makerCode = 0;  // the flash-type code that the bridge firmware reports
    std::map<std::uint8_t, std::array<std::uint8_t, 4>> opcodeReplies;    // SPI opcode -> reply
    std::map<std::uint8_t, std::array<std::uint8_t, 3>> signatureReplies;  // signature opcode -> reply
    std::uint32_t largeEraseBlock = 0x10000;
    std::uint32_t smallEraseBlock = 0x1000;
    std::uint32_t sectorEraseUnit = 0x8000;  // unit of the sector-erase command
    std::vector<FlashSector> sectorMap;      // overrides sectorEraseUnit when not empty
    std::uint32_t size = 0x10000;

    // The sector that holds `address` under the sector-erase command.
    FlashSector SectorAt(std::uint32_t address) const;
};

// The catalogue of parts by name ("MXIC", "AMIC-A25L512" ...), one per maker code
// and the AMIC parts with boot-sector layouts.
std::optional<SpiFlashPart> FindSpiFlashPart(const std::string& name);
std::vector<std::string> SpiFlashPartNames();

}  // namespace kxt::emulator
