#include "emulator/SpiFlashPart.h"

namespace kxt::emulator {
namespace {

constexpr std::uint8_t kJedecId = 0x9F;
constexpr std::uint8_t kManufacturerId = 0x90;
constexpr std::uint8_t kReleasePowerDown = 0xAB;
constexpr std::uint8_t kLegacyAtmelId = 0x15;

SpiFlashPart Part(std::string name, std::uint8_t maker, std::array<std::uint8_t, 4> jedec,
                  std::uint32_t large, std::uint32_t small) {
    SpiFlashPart part;
    part.name = std::move(name);
    part.makerCode = maker;
    part.opcodeReplies[kJedecId] = jedec;
    part.largeEraseBlock = large;
    part.smallEraseBlock = small;
    part.sectorEraseUnit = large < 0x8000 ? large : 0x8000;
    return part;
}

// AMIC boot-sector parts: small sectors at the bottom, then 32 KB ones.
SpiFlashPart AmicPart(std::string name, std::uint8_t capacity, std::vector<FlashSector> map) {
    SpiFlashPart part = Part(std::move(name), 7, {0x7F, 0x37, 0x20, capacity}, 0x10000, 0x1000);
    part.sectorMap = std::move(map);
    return part;
}

std::vector<FlashSector> BootSectorsBelow(std::uint32_t size) {
    return {{0x0000, 0x1000}, {0x1000, 0x2000}, {0x3000, 0x4000}, {0x7000, 0x8000},
            {0xF000, size - 0xF000}};
}

std::vector<SpiFlashPart> Catalogue() {
    std::vector<SpiFlashPart> parts;
    parts.push_back(Part("none", 0, {0, 0, 0, 0}, 0x8000, 0x1000));
    parts.push_back(Part("PMC", 1, {0x7F, 0x9D, 0x7B, 0x00}, 0x8000, 0x1000));
    SpiFlashPart sst = Part("SST", 2, {0x00, 0x00, 0x00, 0x00}, 0x8000, 0x1000);
    sst.opcodeReplies[kManufacturerId] = {0x00, 0x00, 0x00, 0xBF};
    parts.push_back(sst);
    parts.push_back(Part("ST", 3, {0x20, 0x20, 0x10, 0x00}, 0x10000, 0x8000));
    SpiFlashPart oldSt = Part("ST-RES", 3, {0x00, 0x00, 0x00, 0x00}, 0x10000, 0x8000);
    oldSt.opcodeReplies[kReleasePowerDown] = {0x00, 0x00, 0x00, 0x05};
    parts.push_back(oldSt);
    parts.push_back(Part("ATMEL", 4, {0x1F, 0x65, 0x00, 0x00}, 0x10000, 0x8000));
    SpiFlashPart oldAtmel = Part("ATMEL-15", 4, {0x00, 0x00, 0x00, 0x00}, 0x10000, 0x8000);
    oldAtmel.signatureReplies[kLegacyAtmelId] = {0x1F, 0x60, 0x00};
    parts.push_back(oldAtmel);
    parts.push_back(Part("MXIC", 5, {0xC2, 0x20, 0x10, 0x00}, 0x10000, 0x1000));
    parts.push_back(Part("WINBOND", 6, {0xEF, 0x30, 0x10, 0x00}, 0x10000, 0x1000));
    parts.push_back(Part("AMIC", 7, {0x37, 0x30, 0x10, 0x00}, 0x10000, 0x1000));
    parts.push_back(Part("EON", 8, {0x1C, 0x31, 0x10, 0x00}, 0x10000, 0x8000));
    parts.push_back(Part("ESMT", 9, {0x8C, 0x20, 0x10, 0x00}, 0x10000, 0x1000));
    parts.push_back(Part("SANYO", 10, {0x62, 0x06, 0x10, 0x00}, 0x10000, 0x1000));
    parts.push_back(AmicPart("AMIC-L1", 0x12, BootSectorsBelow(0x10000)));
    parts.push_back(AmicPart("AMIC-L3", 0x11, BootSectorsBelow(0x10000)));
    parts.push_back(AmicPart("AMIC-L4", 0x20, {}));
    parts.push_back(AmicPart("AMIC-L5", 0x10, BootSectorsBelow(0x10000)));
    parts.push_back(AmicPart("AMIC-UNSUPPORTED", 0x21, {}));
    return parts;
}

}  // namespace

FlashSector SpiFlashPart::SectorAt(std::uint32_t address) const {
    for (const FlashSector& sector : sectorMap) {
        if (address >= sector.start && address - sector.start < sector.size) {
            return sector;
        }
    }
    const std::uint32_t unit = sectorEraseUnit == 0 ? 1 : sectorEraseUnit;
    return {address / unit * unit, unit};
}

std::optional<SpiFlashPart> FindSpiFlashPart(const std::string& name) {
    for (SpiFlashPart& part : Catalogue()) {
        if (part.name == name) {
            return std::move(part);
        }
    }
    return std::nullopt;
}

std::vector<std::string> SpiFlashPartNames() {
    std::vector<std::string> names;
    for (const SpiFlashPart& part : Catalogue()) {
        names.push_back(part.name);
    }
    return names;
}

}  // namespace kxt::emulator
