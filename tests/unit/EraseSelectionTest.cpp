#include "device/EraseSelection.h"

#include <gtest/gtest.h>

namespace kxt::device {
namespace {

struct EraseCase {
    const char* what;
    std::uint32_t address;
    std::uint32_t chunk;
    EraseMode mode;
    std::uint32_t counter;
    FlashType type;
    std::uint8_t expectedEraseType;
    std::uint32_t expectedChunk;
    std::uint32_t expectedCounter;
};

// Sizes per type: 0 has 32 KB / 4 KB blocks, 3 has 64 KB / 32 KB, 5 has 64 KB / 4 KB.
constexpr EraseCase kEraseCases[] = {
    {"first chunk opens the first large block", 0x0000, 4096, 2, 0, 5, 2, 4096, 1},
    {"chunk inside an opened large block", 0x1000, 8192, 2, 1, 5, 0, 8192, 1},
    {"last chunk ends on the 64 KB boundary", 0xF000, 4096, 2, 1, 5, 0, 4096, 1},
    {"chunk cut at the 32 KB boundary", 0x7000, 8192, 2, 1, 0, 0, 4096, 1},
    {"chunk on a boundary opens the next block", 0x8000, 8192, 2, 1, 0, 2, 8192, 2},
    {"mode 5 selects like 2 and carries 5", 0x8000, 8192, 5, 1, 0, 5, 8192, 2},
    {"small block opened and chunk cut to it", 0x1000, 8192, 1, 1, 5, 1, 4096, 2},
    {"mode 4 with 32 KB small blocks inside one", 0x1000, 8192, 4, 1, 3, 0, 8192, 1},
    {"mode 1 cuts at the 32 KB small block", 0x7000, 8192, 1, 1, 3, 0, 4096, 1},
    {"whole flash at address 0", 0x0000, 4096, 3, 0, 5, 3, 4096, 0},
    {"whole flash: no erase elsewhere, chunk kept", 0x1000, 8192, 3, 0, 5, 0, 8192, 0},
    {"mode 6 like 3", 0x0000, 4096, 6, 0, 3, 6, 4096, 0},
    {"mode 7 like 3", 0x0000, 4096, 7, 0, 0, 7, 4096, 0},
    {"mode 0 never erases", 0x0000, 4096, 0, 0, 5, 0, 4096, 0},
    {"mode above 7 like 0", 0x0000, 8192, 8, 0, 0, 0, 8192, 0},
    {"type 11 uses the sizes of type 0", 0x7000, 8192, 2, 1, 11, 0, 4096, 1},
    {"type 255 uses the sizes of type 0", 0x8000, 8192, 1, 8, 255, 1, 4096, 9},
    // An area that starts above its first erase block: the chunk is not stretched
    // below its own address and the block is opened once.
    {"area starting at 128 KB opens its block", 0x20000, 8192, 2, 0, 5, 2, 8192, 3},
    {"and does not reopen it", 0x22000, 8192, 2, 3, 5, 0, 8192, 3},
};

class SelectEraseTypeTest : public ::testing::TestWithParam<EraseCase> {};

TEST_P(SelectEraseTypeTest, GivesTypeChunkAndCounter) {
    const EraseCase& c = GetParam();
    SCOPED_TRACE(c.what);
    std::uint32_t chunk = c.chunk;
    std::uint32_t counter = c.counter;
    EXPECT_EQ(SelectEraseType(c.address, chunk, c.mode, counter, c.type), c.expectedEraseType);
    EXPECT_EQ(chunk, c.expectedChunk);
    EXPECT_EQ(counter, c.expectedCounter);
}

INSTANTIATE_TEST_SUITE_P(Cases, SelectEraseTypeTest, ::testing::ValuesIn(kEraseCases),
                         [](const auto& test) { return "case" + std::to_string(test.index); });

}  // namespace
}  // namespace kxt::device
