#include "device/ConfigBlockMerge.h"

#include <algorithm>

namespace kxt::device {
namespace {

constexpr std::int32_t kFirstDeviceEntry = 256;

}  // namespace

void MergeConfigBlock(std::span<std::uint8_t> deviceBlock, std::span<const std::uint8_t> newBlock,
                      const MergeTable& table) {
    const std::size_t count = std::min({kMergedBytes, deviceBlock.size(), newBlock.size()});
    for (std::size_t i = 0; i < count; ++i) {
        if (table[i] < kFirstDeviceEntry) {
            deviceBlock[i] = newBlock[i];
        }
    }
}

}  // namespace kxt::device
