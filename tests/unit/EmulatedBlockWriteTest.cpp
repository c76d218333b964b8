#include <gtest/gtest.h>

#include <vector>

#include "device/VendorCommands.h"
#include "tests/support/TestPlatform.h"

namespace kxt::emulator {
namespace {

struct EraseCase {
    std::uint8_t eraseType;
    std::uint32_t erasedFrom;  // the erased range [from, to); from == to: none
    std::uint32_t erasedTo;
};

// A 128 KB MXIC flash (4 KB small, 64 KB large blocks) filled with 0xF0; 512 bytes of
// 0x0F go to 0x19000. Bit 0x80 changes nothing about the erase.
constexpr EraseCase kEraseCases[] = {
    {0x00, 0, 0},
    {0x01, 0x19000, 0x1A000},
    {0x04, 0x19000, 0x1A000},
    {0x81, 0x19000, 0x1A000},
    {0x02, 0x10000, 0x20000},
    {0x05, 0x10000, 0x20000},
    {0x82, 0x10000, 0x20000},
    {0x03, 0x00000, 0x20000},
    {0x06, 0x00000, 0x20000},
    {0x07, 0x00000, 0x20000},
    {0x83, 0x00000, 0x20000},
};

class EmulatedBlockWriteTest : public ::testing::TestWithParam<EraseCase> {};

TEST_P(EmulatedBlockWriteTest, ErasesWhatTheEraseTypeNamesThenProgramsWithAnd) {
    const EraseCase& c = GetParam();
    testing::EmulatedPlatform emu;
    const auto path = emu.AddDevice(
        R"({"chip": "kxt850", "flash": {"part": "MXIC", "size": 131072, "fill": "0xF0"}})");
    const std::vector<std::uint8_t> data(512, 0x0F);

    ASSERT_TRUE(device::WriteFlashBlock(emu.platform, path, 0x19000, data, c.eraseType));

    const auto flash = emu.Device(path).chip.Flash().Bytes();
    std::size_t wrong = 0;
    for (std::uint32_t a = 0; a < flash.size(); ++a) {
        const bool erased = a >= c.erasedFrom && a < c.erasedTo;
        const bool written = a >= 0x19000 && a < 0x19200;
        const std::uint8_t before = erased ? 0xFF : 0xF0;
        const std::uint8_t expected = written ? static_cast<std::uint8_t>(before & 0x0F) : before;
        wrong += flash[a] != expected;
    }
    EXPECT_EQ(wrong, 0U) << "erase type 0x" << std::hex << int{c.eraseType};
}

INSTANTIATE_TEST_SUITE_P(Cases, EmulatedBlockWriteTest, ::testing::ValuesIn(kEraseCases),
                         [](const auto& test) {
                             return "type" + std::to_string(test.param.eraseType);
                         });

}  // namespace
}  // namespace kxt::emulator
