#include "device/SerialFlashProbe.h"

#include <array>
#include <optional>

namespace kxt::device {
namespace {

constexpr std::uint8_t kJedecId = 0x9F;
constexpr std::uint8_t kManufacturerId = 0x90;
constexpr std::uint8_t kReleasePowerDown = 0xAB;
constexpr std::uint8_t kLegacyAtmelId = 0x15;

using Reply = std::array<std::uint8_t, 4>;

// AMIC's continuation code, manufacturer code and memory type, then the capacity
// byte that tells the layout.
constexpr std::array<std::uint8_t, 3> kAmicJedecPrefix{0x7F, 0x37, 0x20};

struct AmicPart {
    std::uint8_t capacity;
    AmicLayout layout;
};
constexpr std::array<AmicPart, 4> kAmicParts{{{0x12, 1}, {0x11, 3}, {0x20, 4}, {0x10, 5}}};

// JEDEC replies in the order they are tried; a second byte of 0 means "any".
struct JedecMaker {
    std::uint8_t byte0;
    std::optional<std::uint8_t> byte1;
    FlashType type;
};
constexpr std::array<JedecMaker, 10> kJedecMakers{{
    {0x7F, 0x37, 7},  // AMIC
    {0x37, 0x30, 7},  // AMIC
    {0x1F, {}, 4},    // ATMEL
    {0xC2, {}, 5},    // MXIC
    {0xEF, {}, 6},    // WINBOND
    {0x20, {}, 3},    // ST/EON/MXIC
    {0x1C, {}, 8},    // EON
    {0x8C, {}, 9},    // ESMT
    {0x7F, 0x9D, 1},  // PMC
    {0x62, {}, 10},   // SANYO
}};

std::optional<FlashType> MatchJedec(const Reply& reply) {
    for (const JedecMaker& maker : kJedecMakers) {
        if (reply[0] == maker.byte0 && (!maker.byte1 || reply[1] == *maker.byte1)) {
            return maker.type;
        }
    }
    return std::nullopt;
}

std::optional<FlashType> ProbeManufacturerId(const os::Platform& p, const DevicePath& path) {
    Reply reply{};
    if (QuerySpi(p, path, kManufacturerId, reply) && reply[3] == 0xBF) {
        return 2;  // SST
    }
    return std::nullopt;
}

std::optional<FlashType> ProbeReleasePowerDown(const os::Platform& p, const DevicePath& path) {
    Reply reply{};
    if (!QuerySpi(p, path, kReleasePowerDown, reply)) {
        return std::nullopt;
    }
    if (reply[3] == 0x9D) {
        return 1;  // PMC
    }
    if (reply[3] == 0x05) {
        return 3;
    }
    return std::nullopt;
}

std::optional<FlashType> ProbeLegacyAtmel(const os::Platform& p, const DevicePath& path) {
    Reply reply{};
    if (QuerySpi(p, path, kLegacyAtmelId, reply) && reply[0] == 0x1F) {
        return 4;
    }
    return std::nullopt;
}

std::optional<FlashType> ProbeSignature(const os::Platform& p, const DevicePath& path,
                                        std::uint8_t opcode, bool flag, std::uint8_t expected,
                                        FlashType type) {
    std::array<std::uint8_t, 3> reply{};
    if (ReadSpiSignature(p, path, reply, opcode, flag) && reply[0] == expected) {
        return type;
    }
    return std::nullopt;
}

}  // namespace

bool QuerySpi(const os::Platform& p, const DevicePath& path, std::uint8_t opcode,
              std::span<std::uint8_t> buffer) {
    return SendSpiOpcode(p, path, opcode) && ReadSpiResponse(p, path, buffer);
}

AmicLayout ReadAmicLayout(const os::Platform& p, const DevicePath& path) {
    Reply reply{};
    if (!QuerySpi(p, path, kJedecId, reply)) {
        return kNotAmicLayout;
    }
    if (!std::equal(kAmicJedecPrefix.begin(), kAmicJedecPrefix.end(), reply.begin())) {
        return kNotAmicLayout;
    }
    for (const AmicPart& part : kAmicParts) {
        if (reply[3] == part.capacity) {
            return part.layout;
        }
    }
    return kNotAmicLayout;
}

bool IdentifySerialFlash(const os::Platform& p, const DevicePath& path, FlashType& type) {
    type = 0;
    Reply jedec{};
    if (!QuerySpi(p, path, kJedecId, jedec)) {
        return true;
    }
    std::optional<FlashType> found = MatchJedec(jedec);
    if (!found) found = ProbeManufacturerId(p, path);
    if (!found) found = ProbeReleasePowerDown(p, path);
    if (!found) found = ProbeLegacyAtmel(p, path);
    if (!found) found = ProbeSignature(p, path, kLegacyAtmelId, false, 0x1F, 4);
    if (!found) found = ProbeSignature(p, path, kReleasePowerDown, true, 0x05, 3);
    if (!found) {
        return false;
    }
    type = *found;
    return true;
}

}  // namespace kxt::device
