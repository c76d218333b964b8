#include "emulator/IdentityRecord.h"

#include <algorithm>

namespace kxt::emulator {

std::array<std::uint8_t, 16> IdentityRecord(std::uint16_t vendorId, std::uint16_t productId,
                                            std::array<std::uint8_t, 2> shortVersion,
                                            const std::string& model, char revision,
                                            std::array<std::uint8_t, 3> longVersion) {
    std::array<std::uint8_t, 16> record{0xF4, 0xE7};
    record[2] = static_cast<std::uint8_t>(vendorId >> 8);
    record[3] = static_cast<std::uint8_t>(vendorId);
    record[4] = static_cast<std::uint8_t>(productId >> 8);
    record[5] = static_cast<std::uint8_t>(productId);
    record[6] = shortVersion[0];
    record[7] = shortVersion[1];
    for (std::size_t i = 0; i < 3 && i < model.size(); ++i) {
        record[8 + i] = static_cast<std::uint8_t>(model[i]);
    }
    record[11] = static_cast<std::uint8_t>(revision);
    std::copy(longVersion.begin(), longVersion.end(), record.begin() + 12);
    return record;
}

}  // namespace kxt::emulator
