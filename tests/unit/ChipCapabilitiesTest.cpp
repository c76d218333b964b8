#include "device/ChipCapabilities.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/TestPlatform.h"

namespace kxt::device {
namespace {

struct XdataCase {
    const char* xdata;
    bool lateRevision;
    bool blockProgramming;
};

class CapabilityRegisters : public ::testing::TestWithParam<XdataCase> {};

TEST_P(CapabilityRegisters, ReadTheirInternalMemoryBytes) {
    testing::EmulatedPlatform emulated;
    const DevicePath path = emulated.AddDevice(std::string(R"({"chip": "none", "xdata": {)") +
                                               GetParam().xdata + "}}");
    EXPECT_EQ(IsLateRevision(emulated.platform, path), GetParam().lateRevision);
    EXPECT_EQ(SupportsBlockProgramming(emulated.platform, path), GetParam().blockProgramming);
}

INSTANTIATE_TEST_SUITE_P(
    Registers, CapabilityRegisters,
    ::testing::Values(XdataCase{R"("0xFDB0": [0, 180], "0x505E": [0, 0, 1])", true, true},
                      XdataCase{R"("0xFDB0": [0, 179], "0x505E": [0, 1, 1])", false, false},
                      XdataCase{R"("0xFDB0": [0, 255], "0x505E": [0, 0, 2])", true, false},
                      XdataCase{R"("0xFDB0": [180, 0], "0x505F": [0])", false, false}));

TEST(ChipCapabilities, AFailedReadAnswersNo) {
    testing::EmulatedPlatform emulated;
    const DevicePath path = emulated.AddDevice(
        R"({"chip": "kxt861", "xdata": {"0xFDB0": [0, 200], "0x505E": [0, 0, 1]},
            "faults": [{"command": "ReadXdata", "occurrence": 0}]})");
    EXPECT_FALSE(IsLateRevision(emulated.platform, path));
    EXPECT_FALSE(SupportsBlockProgramming(emulated.platform, path));
}

}  // namespace
}  // namespace kxt::device
