#include "device/FlashReadiness.h"

#include <gtest/gtest.h>

#include "emulator/CommandLog.h"
#include "tests/support/TestPlatform.h"

namespace kxt::device {
namespace {

struct ReadyCase {
    const char* busyReads;  // status reads that report busy, counting the first read
    bool expected;
    std::size_t expectedReads;
};

class WaitFlashReadyPolls : public ::testing::TestWithParam<ReadyCase> {};

TEST_P(WaitFlashReadyPolls, AllowsFiveHundredRepollsEveryTenMilliseconds) {
    testing::EmulatedPlatform emulated;
    const DevicePath path = emulated.AddDevice(std::string(R"({"chip": "kxt850", "busyStatusReads": )") +
                                               GetParam().busyReads + "}");
    EXPECT_EQ(WaitFlashReady(emulated.platform, path), GetParam().expected);
    const auto reads = emulator::CommandsNamed(emulated.bus.Log(), "ReadFlashStatus").size();
    EXPECT_EQ(reads, GetParam().expectedReads);
    EXPECT_EQ(emulated.clock.Now(), std::chrono::milliseconds(10 * (reads - 1)));
}

INSTANTIATE_TEST_SUITE_P(
    Bounds, WaitFlashReadyPolls,
    ::testing::Values(ReadyCase{"0", true, 1},          // clear at once
                      ReadyCase{"500", true, 501},      // clear on the 500th re-poll
                      ReadyCase{"501", false, 502},     // clear on the 501st re-poll
                      ReadyCase{"\"always\"", false, 503}));  // gives up after 502 re-polls

TEST(WaitFlashReady, AFailedStatusReadKeepsThePreviousStatus) {
    testing::EmulatedPlatform emulated;
    // Busy on the first read, then every read fails: the flash stays busy to the bound.
    const DevicePath path = emulated.AddDevice(
        R"({"chip": "kxt850", "busyStatusReads": "always",
            "faults": [{"command": "ReadFlashStatus", "occurrence": 2, "onwards": true}]})");
    EXPECT_FALSE(WaitFlashReady(emulated.platform, path));
    EXPECT_EQ(emulator::CommandsNamed(emulated.bus.Log(), "ReadFlashStatus").size(), 503U);
}

TEST(WaitFlashReady, BeforeAnyAnswerTheFlashCountsAsNotBusy) {
    testing::EmulatedPlatform emulated;
    const DevicePath path = emulated.AddDevice(
        R"({"chip": "kxt850", "busyStatusReads": "always",
            "faults": [{"command": "ReadFlashStatus", "occurrence": 0}]})");
    EXPECT_TRUE(WaitFlashReady(emulated.platform, path));
    EXPECT_EQ(emulator::CommandsNamed(emulated.bus.Log(), "ReadFlashStatus").size(), 1U);
}

}  // namespace
}  // namespace kxt::device
