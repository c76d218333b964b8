#include "device/ChipCapabilities.h"

#include <array>

namespace kxt::device {
namespace {

constexpr std::uint16_t kRevisionRegister = 0xFDB0;
constexpr std::uint8_t kLateRevisionMinimum = 0xB4;
constexpr std::uint16_t kCapabilityRegister = 0x505E;

}  // namespace

bool IsLateRevision(const os::Platform& p, const DevicePath& path) {
    std::array<std::uint8_t, 4> reply{};
    return ReadXdata(p, path, kRevisionRegister, reply) && reply[1] >= kLateRevisionMinimum;
}

bool SupportsBlockProgramming(const os::Platform& p, const DevicePath& path) {
    std::array<std::uint8_t, 4> reply{};
    return ReadXdata(p, path, kCapabilityRegister, reply) && reply[1] == 0x00 && reply[2] == 0x01;
}

}  // namespace kxt::device
