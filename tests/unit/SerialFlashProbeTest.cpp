#include "device/SerialFlashProbe.h"

#include <gtest/gtest.h>

#include <string>

#include "emulator/CommandLog.h"
#include "tests/support/TestPlatform.h"

namespace kxt::device {
namespace {

std::string DeviceWithReplies(const std::string& spiReplies, const std::string& extra = "") {
    return R"({"chip": "none", "flash": {"part": "none", "spiReplies": {)" + spiReplies + "}" +
           extra + "}}";
}

struct AmicCase {
    const char* jedec;
    AmicLayout expected;
};

class ReadAmicLayoutReply : public ::testing::TestWithParam<AmicCase> {};

TEST_P(ReadAmicLayoutReply, MapsTheCapacityOfAmicPartsOnly) {
    testing::EmulatedPlatform emulated;
    const DevicePath path =
        emulated.AddDevice(DeviceWithReplies(std::string(R"("0x9F": ")") + GetParam().jedec + "\""));
    EXPECT_EQ(ReadAmicLayout(emulated.platform, path), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Replies, ReadAmicLayoutReply,
    ::testing::Values(AmicCase{"7F 37 20 12", 1}, AmicCase{"7F 37 20 11", 3},
                      AmicCase{"7F 37 20 20", 4}, AmicCase{"7F 37 20 10", 5},
                      AmicCase{"7F 37 20 21", kNotAmicLayout}, AmicCase{"7F 37 20 22", kNotAmicLayout},
                      AmicCase{"7F 37 30 12", kNotAmicLayout}, AmicCase{"C2 20 12 00", kNotAmicLayout}));

TEST(ReadAmicLayout, TransportFailuresGiveNotAmic) {
    testing::EmulatedPlatform emulated;
    const DevicePath sendFails = emulated.AddDevice(
        R"({"id": "a", "flash": {"part": "AMIC-L1"}, "faults": [{"command": "SendSpiOpcode"}]})");
    const DevicePath readFails = emulated.AddDevice(
        R"({"id": "b", "flash": {"part": "AMIC-L1"}, "faults": [{"command": "ReadSpiResponse"}]})");
    EXPECT_EQ(ReadAmicLayout(emulated.platform, sendFails), kNotAmicLayout);
    EXPECT_EQ(ReadAmicLayout(emulated.platform, readFails), kNotAmicLayout);
}

struct ProbeCase {
    const char* name;
    std::string device;
    bool expectedResult;
    FlashType expectedType;
    int expectedSpiQueries;  // SendSpiOpcode requests
};

class IdentifySerialFlashProbe : public ::testing::TestWithParam<ProbeCase> {};

TEST_P(IdentifySerialFlashProbe, StopsAtTheFirstRecognisedReply) {
    testing::EmulatedPlatform emulated;
    const DevicePath path = emulated.AddDevice(GetParam().device);
    FlashType type = 99;
    EXPECT_EQ(IdentifySerialFlash(emulated.platform, path, type), GetParam().expectedResult);
    EXPECT_EQ(type, GetParam().expectedType);
    EXPECT_EQ(static_cast<int>(emulator::CommandsNamed(emulated.bus.Log(), "SendSpiOpcode").size()),
              GetParam().expectedSpiQueries);
}

INSTANTIATE_TEST_SUITE_P(
    Probes, IdentifySerialFlashProbe,
    ::testing::Values(
        ProbeCase{"MxicJedec", DeviceWithReplies(R"("0x9F": "C2 20 16 00")"), true, 5, 1},
        ProbeCase{"AmicContinuation", DeviceWithReplies(R"("0x9F": "7F 37 20 12")"), true, 7, 1},
        ProbeCase{"AmicShort", DeviceWithReplies(R"("0x9F": "37 30 10 00")"), true, 7, 1},
        ProbeCase{"PmcAfterAmicRows", DeviceWithReplies(R"("0x9F": "7F 9D 7B 00")"), true, 1, 1},
        ProbeCase{"Sanyo", DeviceWithReplies(R"("0x9F": "62 06 10 00")"), true, 10, 1},
        ProbeCase{"SstByManufacturerId",
                  DeviceWithReplies(R"("0x9F": "00 00 00 00", "0x90": "00 00 00 BF")"), true, 2, 2},
        ProbeCase{"PmcByReleasePowerDown",
                  DeviceWithReplies(R"("0xAB": "00 00 00 9D")"), true, 1, 3},
        ProbeCase{"StByReleasePowerDown", DeviceWithReplies(R"("0xAB": "00 00 00 05")"), true, 3, 3},
        ProbeCase{"AtmelByOldId", DeviceWithReplies(R"("0x15": "1F 00 00 00")"), true, 4, 4},
        ProbeCase{"AtmelBySignature",
                  DeviceWithReplies("", R"(, "signatureReplies": {"0x15": "1F 60 00"})"), true, 4, 4},
        ProbeCase{"StBySignature",
                  DeviceWithReplies("", R"(, "signatureReplies": {"0xAB": "05 00 00"})"), true, 3, 4},
        ProbeCase{"NothingRecognised", DeviceWithReplies(""), false, 0, 4},
        ProbeCase{"JedecQueryFailsEndsWithSuccessAndTypeZero",
                  R"({"flash": {"part": "MXIC"}, "faults": [{"command": "SendSpiOpcode"}]})", true,
                  0, 1},
        ProbeCase{"LaterFailuresFallThrough",
                  R"({"flash": {"part": "none", "spiReplies": {"0x15": "1F 00 00 00"}},
                      "faults": [{"command": "ReadSpiResponse", "occurrence": 2},
                                 {"command": "SendSpiOpcode", "occurrence": 3}]})",
                  true, 4, 4}),
    [](const auto& test) { return std::string(test.param.name); });

}  // namespace
}  // namespace kxt::device
