#include "device/ConfigBlockMerge.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace kxt::device {
namespace {

// A device block and a new default block that differ in every byte.
std::vector<std::uint8_t> DeviceBlock(std::size_t size) {
    std::vector<std::uint8_t> block(size);
    for (std::size_t i = 0; i < size; ++i) block[i] = static_cast<std::uint8_t>(0xA5 ^ i);
    return block;
}

std::vector<std::uint8_t> NewBlock(std::size_t size) {
    std::vector<std::uint8_t> block(size);
    for (std::size_t i = 0; i < size; ++i) block[i] = static_cast<std::uint8_t>(0x5A ^ i);
    return block;
}

std::set<std::size_t> Range(std::size_t first, std::size_t last) {
    std::set<std::size_t> bytes;
    for (std::size_t i = first; i <= last; ++i) bytes.insert(i);
    return bytes;
}

std::set<std::size_t> Union(std::set<std::size_t> a, const std::set<std::size_t>& b) {
    a.insert(b.begin(), b.end());
    return a;
}

struct MergeCase {
    const char* name;
    const MergeTable* table;
    std::size_t blockSize;
    std::set<std::size_t> fromNewFirmware;  // every other byte stays the device's
};

class MergeConfigBlockCases : public ::testing::TestWithParam<MergeCase> {};

TEST_P(MergeConfigBlockCases, TakesExactlyTheListedBytesFromTheNewBlock) {
    const MergeCase& c = GetParam();
    std::vector<std::uint8_t> device = DeviceBlock(c.blockSize);
    const std::vector<std::uint8_t> fresh = NewBlock(c.blockSize);

    MergeConfigBlock(device, fresh, *c.table);

    const std::vector<std::uint8_t> original = DeviceBlock(c.blockSize);
    for (std::size_t i = 0; i < c.blockSize; ++i) {
        const bool fromNew = c.fromNewFirmware.contains(i);
        EXPECT_EQ(device[i], fromNew ? fresh[i] : original[i])
            << "byte " << i << " should be the " << (fromNew ? "new firmware's" : "device's");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Tables, MergeConfigBlockCases,
    ::testing::Values(
        MergeCase{"KXT861", &KXT861MergeTable, 128,
                  Union({4, 5, 9, 11, 13, 46, 47, 49, 81, 82, 83, 85}, Range(117, 127))},
        MergeCase{"KXT850KeepsBytes128To255", &KXT850MergeTable, 256,
                  Union({4, 5, 9, 11, 47, 81, 82, 83, 85}, Range(117, 127))},
        // Given a longer block, the KXT861 table still touches nothing past byte 127.
        MergeCase{"KXT861TableOnALongBlock", &KXT861MergeTable, 256,
                  Union({4, 5, 9, 11, 13, 46, 47, 49, 81, 82, 83, 85}, Range(117, 127))},
        // A block shorter than the table is merged as far as it goes, never beyond.
        MergeCase{"ShortBlock", &KXT850MergeTable, 50, {4, 5, 9, 11, 47}}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

}  // namespace
}  // namespace kxt::device
