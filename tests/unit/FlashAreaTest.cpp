#include "device/FlashArea.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "emulator/CommandLog.h"
#include "tests/support/TestPlatform.h"

namespace kxt::device {
namespace {

using emulator::CommandsNamed;
using emulator::LoggedCommand;

struct Chunk {
    std::uint32_t address;
    std::uint32_t length;
    std::uint8_t eraseType;
    bool operator==(const Chunk&) const = default;
};

void PrintTo(const Chunk& chunk, std::ostream* out) {
    *out << std::hex << "{0x" << chunk.address << ", " << std::dec << chunk.length << ", 0x"
         << std::hex << int{chunk.eraseType} << "}";
}

std::uint32_t BlockAddress(const LoggedCommand& command) {
    return std::uint32_t{command.cdb[8]} << 16 | std::uint32_t{command.cdb[9]} << 8 |
           command.cdb[10];
}

std::uint32_t BlockLength(const LoggedCommand& command) {
    return std::uint32_t{command.cdb[3]} << 8 | command.cdb[4];
}

std::vector<Chunk> WrittenChunks(const emulator::CommandLog& log) {
    std::vector<Chunk> chunks;
    for (const LoggedCommand& command : CommandsNamed(log, "WriteFlashBlock")) {
        chunks.push_back({BlockAddress(command), BlockLength(command), command.cdb[1]});
    }
    return chunks;
}

// `count` chunks of `length` bytes from `start` on, all with the same erase type.
std::vector<Chunk> Series(std::uint32_t start, std::uint32_t length, int count, std::uint8_t type) {
    std::vector<Chunk> chunks;
    for (int i = 0; i < count; ++i) {
        chunks.push_back({start + static_cast<std::uint32_t>(i) * length, length, type});
    }
    return chunks;
}

std::vector<Chunk> Join(std::initializer_list<std::vector<Chunk>> parts) {
    std::vector<Chunk> joined;
    for (const auto& part : parts) joined.insert(joined.end(), part.begin(), part.end());
    return joined;
}

std::vector<std::uint8_t> RandomBytes(std::size_t length, unsigned seed) {
    std::mt19937 generator(seed);
    std::vector<std::uint8_t> bytes(length);
    for (auto& byte : bytes) byte = static_cast<std::uint8_t>(generator());
    return bytes;
}

struct SequenceCase {
    FlashType type;
    EraseMode mode;
    std::vector<Chunk> chunks;
};

// A 65,536-byte area at address 0. Type 5 has 64 KB / 4 KB blocks, type 3 64 KB / 32 KB,
// type 0 32 KB / 4 KB; the chunk at address 0 is at most 4 KB long and, on type 5,
// carries bit 0x80 when it erases.
const SequenceCase kSequences[] = {
    {5, 2, Join({{{0x0000, 4096, 0x82}}, Series(0x1000, 8192, 7, 0), {{0xF000, 4096, 0}}})},
    {5, 3, Join({{{0x0000, 4096, 0x83}}, Series(0x1000, 8192, 7, 0), {{0xF000, 4096, 0}}})},
    {5, 1, Join({{{0x0000, 4096, 0x81}}, Series(0x1000, 4096, 15, 1)})},
    {3, 1,
     Join({{{0x0000, 4096, 1}},
           Series(0x1000, 8192, 3, 0),
           {{0x7000, 4096, 0}, {0x8000, 8192, 1}},
           Series(0xA000, 8192, 3, 0)})},
    {3, 2, Join({{{0x0000, 4096, 2}}, Series(0x1000, 8192, 7, 0), {{0xF000, 4096, 0}}})},
    {3, 3, Join({{{0x0000, 4096, 3}}, Series(0x1000, 8192, 7, 0), {{0xF000, 4096, 0}}})},
    {0, 2,
     Join({{{0x0000, 4096, 2}},
           Series(0x1000, 8192, 3, 0),
           {{0x7000, 4096, 0}, {0x8000, 8192, 2}},
           Series(0xA000, 8192, 3, 0)})},
    {0, 1, Series(0x0000, 4096, 16, 1)},
    {0, 3, Join({{{0x0000, 4096, 3}}, Series(0x1000, 8192, 7, 0), {{0xF000, 4096, 0}}})},
};

class ChunkSequenceTest : public ::testing::TestWithParam<SequenceCase> {};

TEST_P(ChunkSequenceTest, WritesTheChunksOfTheTable) {
    const SequenceCase& c = GetParam();
    testing::EmulatedPlatform emu;
    const auto path = emu.AddDevice(R"({"chip": "kxt850"})");
    const auto image = RandomBytes(0x10000, 1);

    ASSERT_TRUE(WriteFlashArea(emu.platform, path, 0, image, c.mode, c.type));

    const auto log = emu.bus.Log();
    EXPECT_EQ(WrittenChunks(log), c.chunks);
    std::vector<std::uint8_t> sent;
    for (std::size_t i = 0; i < log.size(); ++i) {
        if (log[i].name != "WriteFlashBlock")
            continue;
        ASSERT_GT(i, 0U);
        EXPECT_EQ(log[i - 1].name, "ReadFlashStatus") << "each chunk waits for the flash first";
        sent.insert(sent.end(), log[i].dataOut.begin(), log[i].dataOut.end());
    }
    EXPECT_EQ(sent, image);
}

INSTANTIATE_TEST_SUITE_P(Table, ChunkSequenceTest, ::testing::ValuesIn(kSequences),
                         [](const auto& test) {
                             return "type" + std::to_string(test.param.type) + "mode" +
                                    std::to_string(test.param.mode);
                         });

class FlashAreaTest : public ::testing::Test {
protected:
    testing::EmulatedPlatform emu;
};

TEST_F(FlashAreaTest, WritesA1000ByteAreaAs1024WithZeroTail) {
    const auto path = emu.AddDevice(R"({"chip": "kxt850"})");
    const auto source = RandomBytes(1000, 2);

    ASSERT_TRUE(WriteFlashArea(emu.platform, path, 0x4000, source, kNoErase, 5));

    const auto writes = CommandsNamed(emu.bus.Log(), "WriteFlashBlock");
    ASSERT_EQ(writes.size(), 1U);
    EXPECT_EQ(BlockLength(writes[0]), 1024U);
    std::vector<std::uint8_t> expected = source;
    expected.resize(1024, 0x00);
    EXPECT_EQ(writes[0].dataOut, expected);
    const auto flash = emu.Device(path).chip.Flash().Bytes();
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), flash.begin() + 0x4000));
}

TEST_F(FlashAreaTest, ReadsA1000ByteAreaAs1024AndReturnsTheFirst1000) {
    const auto path = emu.AddDevice(
        R"({"chip": "kxt850", "flash": {"regions": [{"random": 3, "length": 65536}]}})");
    std::vector<std::uint8_t> buffer(1000 + 16, 0xEE);  // 16 guard bytes

    ASSERT_TRUE(ReadFlashArea(emu.platform, path, 0x4000, std::span(buffer).first(1000)));

    const auto reads = CommandsNamed(emu.bus.Log(), "ReadFlashBlock");
    ASSERT_EQ(reads.size(), 1U);
    EXPECT_EQ(BlockAddress(reads[0]), 0x4000U);
    EXPECT_EQ(BlockLength(reads[0]), 1024U);
    const auto flash = emu.Device(path).chip.Flash().Bytes();
    EXPECT_TRUE(std::equal(buffer.begin(), buffer.begin() + 1000, flash.begin() + 0x4000));
    EXPECT_TRUE(std::all_of(buffer.begin() + 1000, buffer.end(), [](auto b) { return b == 0xEE; }));
}

TEST_F(FlashAreaTest, ReadsInChunksOf8KWithoutCuttingTheFirst) {
    const auto path = emu.AddDevice(R"({"chip": "kxt850"})");
    std::vector<std::uint8_t> buffer(0x10000);

    ASSERT_TRUE(ReadFlashArea(emu.platform, path, 0, buffer));

    std::vector<Chunk> chunks;
    for (const auto& command : CommandsNamed(emu.bus.Log(), "ReadFlashBlock")) {
        chunks.push_back({BlockAddress(command), BlockLength(command), 0});
    }
    EXPECT_EQ(chunks, Series(0x0000, 8192, 8, 0));
}

TEST_F(FlashAreaTest, LengthZeroSendsNothingAndFails) {
    const auto path = emu.AddDevice(R"({"chip": "kxt850"})");
    std::vector<std::uint8_t> buffer;

    EXPECT_FALSE(ReadFlashArea(emu.platform, path, 0, buffer));
    EXPECT_FALSE(WriteFlashArea(emu.platform, path, 0, buffer, kEraseLargeBlocks, 5));
    EXPECT_TRUE(emu.bus.Log().empty());
}

TEST_F(FlashAreaTest, FailedReadStopsAndDeliversWhatWasReadThenZeros) {
    const auto path = emu.AddDevice(R"({"chip": "kxt850",
        "flash": {"regions": [{"random": 4, "length": 65536}]},
        "faults": [{"command": "ReadFlashBlock", "occurrence": 3}]})");
    std::vector<std::uint8_t> buffer(0x10000, 0xEE);

    EXPECT_FALSE(ReadFlashArea(emu.platform, path, 0, buffer));

    EXPECT_EQ(CommandsNamed(emu.bus.Log(), "ReadFlashBlock").size(), 3U);
    const auto flash = emu.Device(path).chip.Flash().Bytes();
    EXPECT_TRUE(std::equal(buffer.begin(), buffer.begin() + 0x4000, flash.begin()));
    EXPECT_TRUE(std::all_of(buffer.begin() + 0x4000, buffer.end(), [](auto b) { return b == 0; }));
}

TEST_F(FlashAreaTest, RefusedChunkEndsTheWrite) {
    const auto path = emu.AddDevice(R"({"chip": "kxt850",
        "faults": [{"command": "WriteFlashBlock", "occurrence": 2}]})");
    const auto image = RandomBytes(0x10000, 5);

    EXPECT_FALSE(WriteFlashArea(emu.platform, path, 0, image, kEraseLargeBlocks, 5));

    EXPECT_EQ(CommandsNamed(emu.bus.Log(), "WriteFlashBlock").size(), 2U);
}

TEST_F(FlashAreaTest, AreaPastThe24BitAddressSpaceIsRefusedBeforeAnyCommand) {
    const auto path = emu.AddDevice(R"({"chip": "kxt850"})");
    std::vector<std::uint8_t> buffer(256, 0xEE);

    // 256 bytes travel as 512, which would run from 0xFFFF00 past 0xFFFFFF.
    EXPECT_FALSE(WriteFlashArea(emu.platform, path, 0xFFFF00, buffer, kNoErase, 5));
    EXPECT_FALSE(ReadFlashArea(emu.platform, path, 0xFFFF00, buffer));
    EXPECT_TRUE(emu.bus.Log().empty());
    EXPECT_TRUE(std::all_of(buffer.begin(), buffer.end(), [](auto b) { return b == 0; }));

    // The last 512 bytes of the address space still go.
    EXPECT_TRUE(ReadFlashArea(emu.platform, path, 0xFFFE00, buffer));
    EXPECT_EQ(CommandsNamed(emu.bus.Log(), "ReadFlashBlock").size(), 1U);
}

}  // namespace
}  // namespace kxt::device
