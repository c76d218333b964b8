#include "device/BlockProgramming.h"

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

std::uint32_t BlockAddress(const LoggedCommand& command) {
    return std::uint32_t{command.cdb[8]} << 16 | std::uint32_t{command.cdb[9]} << 8 |
           command.cdb[10];
}

std::uint32_t BlockLength(const LoggedCommand& command) {
    return std::uint32_t{command.cdb[3]} << 8 | command.cdb[4];
}

std::vector<std::uint8_t> RandomBytes(std::size_t length, unsigned seed) {
    std::mt19937 generator(seed);
    std::vector<std::uint8_t> bytes(length);
    for (auto& byte : bytes) byte = static_cast<std::uint8_t>(generator());
    return bytes;
}

// A KXT850 (flash type 5 reported, MXIC part) whose flash holds older random content.
std::string Kxt850(const std::string& extraFlash = "", const std::string& extra = "") {
    return R"({"chip": "kxt850", "flash": {"regions": [{"random": 77, "length": 65536}])" +
           extraFlash + "}" + extra + "}";
}

std::string CorruptReads(const std::vector<int>& occurrences) {
    std::string faults;
    for (int occurrence : occurrences) {
        faults +=
            std::string(faults.empty() ? "" : ", ") +
            R"({"kind": "corrupt-read", "command": "ReadFlashBlock", "offset": 100, "occurrence": )" +
            std::to_string(occurrence) + "}";
    }
    return faults;
}

class ProgramAndVerifyTest : public ::testing::Test {
protected:
    const std::vector<std::uint8_t> image = RandomBytes(0x10000, 850);
    testing::EmulatedPlatform emu;

    std::vector<std::uint8_t> FlashOf(const os::DevicePath& path) {
        const auto bytes = emu.Device(path).chip.Flash().Bytes();
        return {bytes.begin(), bytes.end()};
    }
    // The erase type of each block write to address 0 after the first `skip` writes:
    // one per attempt.
    std::vector<std::uint8_t> AttemptStarts(std::size_t skip) {
        std::vector<std::uint8_t> types;
        const auto writes = CommandsNamed(emu.bus.Log(), "WriteFlashBlock");
        for (std::size_t i = skip; i < writes.size(); ++i) {
            if (BlockAddress(writes[i]) == 0)
                types.push_back(writes[i].cdb[1]);
        }
        return types;
    }
};

TEST_F(ProgramAndVerifyTest, Kxt850PreWritesThenProgramsAndProvesInOneAttempt) {
    const auto path = emu.AddDevice(Kxt850());

    ASSERT_TRUE(ProgramAndVerify(emu.platform, path, image, true));

    EXPECT_EQ(FlashOf(path), image);
    const auto log = emu.bus.Log();
    ASSERT_GE(log.size(), 4U);
    EXPECT_EQ(log[0].name, "ReadFlashStatus");
    EXPECT_EQ(log[1].name, "ReadFlashType");
    EXPECT_EQ(log[2].name, "ReadFlashStatus");
    ASSERT_EQ(log[3].name, "WriteFlashBlock");
    EXPECT_EQ(BlockAddress(log[3]), 0U);
    EXPECT_EQ(BlockLength(log[3]), 4096U);
    EXPECT_EQ(log[3].cdb[1], 0x02) << "the pre-write erases a large block, without bit 0x80";
    EXPECT_TRUE(std::equal(log[3].dataOut.begin(), log[3].dataOut.end(), image.begin()));
    EXPECT_TRUE(CommandsNamed(log, "SendSpiOpcode").empty()) << "type 5 needs no probe";
    EXPECT_EQ(AttemptStarts(1), std::vector<std::uint8_t>{0x82});
    EXPECT_EQ(CommandsNamed(log, "ReadFlashBlock").size(), 8U);

    // The flash is polled after the last write and again before the first read.
    const auto firstRead = std::find_if(log.begin(), log.end(),
                                        [](const auto& c) { return c.name == "ReadFlashBlock"; });
    ASSERT_NE(firstRead, log.end());
    EXPECT_EQ((firstRead - 1)->name, "ReadFlashStatus");
    EXPECT_EQ((firstRead - 2)->name, "ReadFlashStatus");
    EXPECT_EQ((firstRead - 3)->name, "WriteFlashBlock");
}

struct PauseCase {
    const char* what;
    std::string faults;
    std::chrono::milliseconds pause;
};

class PreWritePauseTest : public ProgramAndVerifyTest,
                          public ::testing::WithParamInterface<PauseCase> {};

TEST_P(PreWritePauseTest, PausesHalfASecondOnlyAfterAnAcceptedPreWrite) {
    SCOPED_TRACE(GetParam().what);
    const auto path = emu.AddDevice(Kxt850("", R"(, "faults": [)" + GetParam().faults + "]"));

    EXPECT_TRUE(ProgramAndVerify(emu.platform, path, image, true))
        << "the pre-write's outcome decides nothing";

    const auto log = emu.bus.Log();
    ASSERT_GE(log.size(), 5U);
    ASSERT_EQ(log[3].name, "WriteFlashBlock");
    EXPECT_EQ(log[4].time - log[3].time, GetParam().pause);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PreWritePauseTest,
    ::testing::Values(PauseCase{"accepted", "", std::chrono::milliseconds(500)},
                      PauseCase{"refused", R"({"command": "WriteFlashBlock", "occurrence": 1})",
                                std::chrono::milliseconds(0)}));

struct DetectionCase {
    const char* what;
    std::string flash;  // extra keys of the flash object
    bool detectionAllowed;
    bool probes;
    // The erasing block writes before the first read: the pre-write and attempt 1.
    std::vector<std::pair<std::uint32_t, std::uint8_t>> erasingWrites;
};

const std::vector<std::pair<std::uint32_t, std::uint8_t>> kAsType5{{0, 0x02}, {0, 0x82}};
const std::vector<std::pair<std::uint32_t, std::uint8_t>> kAsType0{{0, 0x02}, {0x8000, 0x02}};
const std::vector<std::pair<std::uint32_t, std::uint8_t>> kAsType3{{0, 0x02}};

class FlashTypeDetectionTest : public ProgramAndVerifyTest,
                               public ::testing::WithParamInterface<DetectionCase> {};

TEST_P(FlashTypeDetectionTest, ProbesOnlyForAnUnknownTypeAndWhenAllowed) {
    const DetectionCase& c = GetParam();
    SCOPED_TRACE(c.what);
    const auto path = emu.AddDevice(Kxt850(c.flash));

    EXPECT_TRUE(ProgramAndVerify(emu.platform, path, image, c.detectionAllowed));

    const auto log = emu.bus.Log();
    EXPECT_EQ(!CommandsNamed(log, "SendSpiOpcode").empty(), c.probes);
    std::vector<std::pair<std::uint32_t, std::uint8_t>> erasing;
    for (const auto& command : log) {
        if (command.name == "ReadFlashBlock")
            break;
        if (command.name == "WriteFlashBlock" && command.cdb[1] != 0) {
            erasing.emplace_back(BlockAddress(command), command.cdb[1]);
        }
    }
    EXPECT_EQ(erasing, c.erasingWrites);
    EXPECT_EQ(FlashOf(path), image);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FlashTypeDetectionTest,
    ::testing::Values(
        DetectionCase{"0 reported, probe allowed, finds MXIC", R"(, "reportedType": 0)", true, true,
                      kAsType5},
        DetectionCase{"0 reported, probe not allowed", R"(, "reportedType": 0)", false, false,
                      kAsType0},
        DetectionCase{"0 reported, probe finds nothing", R"(, "reportedType": 0, "part": "none")",
                      true, true, kAsType0},
        DetectionCase{"42 reported counts as unknown, probe allowed", R"(, "reportedType": 42)",
                      true, true, kAsType5},
        DetectionCase{"42 reported counts as unknown, probe not allowed", R"(, "reportedType": 42)",
                      false, false, kAsType0},
        DetectionCase{"type query fails", R"(, "reportedType": null)", true, false, kAsType0},
        DetectionCase{"3 reported", R"(, "reportedType": 3, "part": "ST")", true, false, kAsType3}),
    [](const auto& test) { return "case" + std::to_string(test.index); });

struct RetryCase {
    const char* what;
    std::vector<int> corruptedReads;
    bool result;
    std::vector<std::uint8_t> attemptStarts;
};

class RetryTest : public ProgramAndVerifyTest, public ::testing::WithParamInterface<RetryCase> {};

// Each attempt reads 64 KB back in eight chunks, so attempt n reads occurrences
// 8n-7 to 8n.
TEST_P(RetryTest, EachFailedProofStartsTheNextEraseStrategy) {
    const RetryCase& c = GetParam();
    SCOPED_TRACE(c.what);
    const auto path =
        emu.AddDevice(Kxt850("", R"(, "faults": [)" + CorruptReads(c.corruptedReads) + "]"));

    EXPECT_EQ(ProgramAndVerify(emu.platform, path, image, true), c.result);

    EXPECT_EQ(AttemptStarts(1), c.attemptStarts);
    const auto log = emu.bus.Log();
    EXPECT_EQ(log.back().name, "ReadFlashBlock") << "nothing follows the last proof";
    EXPECT_EQ(FlashOf(path), image) << "only the replies were corrupted";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RetryTest,
    ::testing::Values(RetryCase{"first proof fails", {1}, true, {0x82, 0x83}},
                      RetryCase{"two proofs fail", {1, 9}, true, {0x82, 0x83, 0x81}},
                      RetryCase{"three proofs fail", {1, 9, 17}, false, {0x82, 0x83, 0x81}}),
    [](const auto& test) { return "case" + std::to_string(test.index); });

TEST_F(ProgramAndVerifyTest, ThirdAttemptUsesSmallBlocks) {
    const auto path = emu.AddDevice(Kxt850("", R"(, "faults": [)" + CorruptReads({1, 9}) + "]"));

    ASSERT_TRUE(ProgramAndVerify(emu.platform, path, image, true));

    // Writes: the pre-write, 9 per attempt for attempts 1 and 2, then attempt 3.
    const auto writes = CommandsNamed(emu.bus.Log(), "WriteFlashBlock");
    ASSERT_EQ(writes.size(), 1U + 9 + 9 + 16);
    for (std::size_t i = 0; i < 16; ++i) {
        const auto& chunk = writes[19 + i];
        EXPECT_EQ(BlockAddress(chunk), i * 0x1000);
        EXPECT_EQ(BlockLength(chunk), 4096U);
        EXPECT_EQ(chunk.cdb[1], i == 0 ? 0x81 : 0x01);
    }
}

TEST_F(ProgramAndVerifyTest, AfterThreeFailuresTheFlashHoldsWhatTheLastAttemptLeft) {
    // Attempt 1 fails its proof; attempt 2 erases the whole flash, writes 4 KB and is
    // refused at its second chunk (write 12); attempt 3 erases and writes four 4 KB
    // blocks and is refused at its fifth chunk (write 17).
    const auto path =
        emu.AddDevice(Kxt850("", R"(, "faults": [)" + CorruptReads({1}) +
                                     R"(, {"command": "WriteFlashBlock", "occurrence": 12},
                                                        {"command": "WriteFlashBlock", "occurrence": 17}])"));

    EXPECT_FALSE(ProgramAndVerify(emu.platform, path, image, true));

    EXPECT_EQ(AttemptStarts(1), (std::vector<std::uint8_t>{0x82, 0x83, 0x81}));
    EXPECT_EQ(CommandsNamed(emu.bus.Log(), "ReadFlashBlock").size(), 8U)
        << "attempts whose write failed read nothing back";
    std::vector<std::uint8_t> expected(0x10000, 0xFF);
    std::copy_n(image.begin(), 0x4000, expected.begin());
    EXPECT_EQ(FlashOf(path), expected);
}

struct WrongStrategyCase {
    const char* what;
    std::string flash;
    bool detectionAllowed;
    std::vector<std::uint8_t> attemptStarts;
    std::size_t preWrites;
};

class WrongStrategyTest : public ProgramAndVerifyTest,
                          public ::testing::WithParamInterface<WrongStrategyCase> {};

TEST_P(WrongStrategyTest, GarbageFromTooSmallAnEraseIsCaughtAndRetried) {
    const WrongStrategyCase& c = GetParam();
    SCOPED_TRACE(c.what);
    const auto path = emu.AddDevice(Kxt850(c.flash));

    EXPECT_TRUE(ProgramAndVerify(emu.platform, path, image, c.detectionAllowed));

    EXPECT_EQ(AttemptStarts(c.preWrites), c.attemptStarts);
    EXPECT_EQ(FlashOf(path), image);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WrongStrategyTest,
    ::testing::Values(
        // Mode 2 erases only the lower 32 KB; the upper half is old AND new.
        WrongStrategyCase{"MXIC part with 32 KB large blocks",
                          R"(, "largeEraseBlock": "0x8000")",
                          true,
                          {0x82, 0x83},
                          1},
        // Type 0 opens a second large block at 0x8000, whose 64 KB erase wipes the
        // lower half that was just written.
        WrongStrategyCase{
            "64 KB part taken for type 0", R"(, "reportedType": 0)", false, {0x02, 0x03}, 0}),
    [](const auto& test) { return "case" + std::to_string(test.index); });

TEST_F(ProgramAndVerifyTest, LargeBlockWriteOnA32KBlockPartLeavesOldAndNew) {
    const auto path = emu.AddDevice(Kxt850(R"(, "largeEraseBlock": "0x8000")"));
    const auto old = FlashOf(path);

    ASSERT_TRUE(WriteFlashArea(emu.platform, path, 0, image, kEraseLargeBlocks, 5));

    std::vector<std::uint8_t> expected = image;
    for (std::size_t i = 0x8000; i < expected.size(); ++i) expected[i] = old[i] & image[i];
    EXPECT_EQ(FlashOf(path), expected);
    EXPECT_NE(FlashOf(path), image);
}

TEST_F(ProgramAndVerifyTest, EmptyImageSendsNothing) {
    const auto path = emu.AddDevice(Kxt850());

    EXPECT_FALSE(ProgramAndVerify(emu.platform, path, {}, true));

    EXPECT_TRUE(emu.bus.Log().empty());
}

}  // namespace
}  // namespace kxt::device
