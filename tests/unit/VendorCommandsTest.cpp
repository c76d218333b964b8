#include "device/VendorCommands.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <vector>

#include "emulator/CommandLog.h"
#include "tests/support/TestPlatform.h"

namespace kxt::device {
namespace {

using Bytes = std::vector<std::uint8_t>;
using os::DataDirection;

struct WireCase {
    const char* name;
    std::function<void(const os::Platform&, const DevicePath&)> send;
    std::array<std::uint8_t, 12> cdb;
    DataDirection direction;
    std::uint32_t length;
    std::uint32_t timeoutSeconds;
    bool exclusive;
    Bytes dataOut;  // checked when not empty
};

std::vector<std::uint8_t> Buffer(std::size_t n) { return std::vector<std::uint8_t>(n); }

const std::vector<WireCase>& Cases() {
    static const std::vector<WireCase> cases = [] {
        const Bytes image = {0x11, 0x22, 0x33, 0x44, 0x55};
        std::vector<WireCase> c;
        c.push_back({"Inquiry", [](auto& p, auto& d) { auto b = Buffer(40); Inquiry(p, d, b); },
                     {0x12, 0, 0, 0, 40}, DataDirection::In, 40, 20, false, {}});
        c.push_back({"ReadFirmwareIdentity", [](auto& p, auto& d) { auto b = Buffer(16); std::int32_t t; ReadFirmwareIdentity(p, d, b, t); },
                     {0xE0, 0xF4, 0xE7}, DataDirection::In, 16, 20, false, {}});
        c.push_back({"ReadLegacyChipId", [](auto& p, auto& d) { std::array<std::uint8_t, 2> b{}; std::int32_t t; ReadLegacyChipId(p, d, b, t); },
                     {0xDF, 0x10, 0, 0, 0x02, 0, 0, 0, 0, 0, 0, 0xFF}, DataDirection::In, 2, 20, false, {}});
        c.push_back({"ReadChipInfo", [](auto& p, auto& d) { auto b = Buffer(40); ReadChipInfo(p, d, b); },
                     {0xFF, 0x04, 0x30, 0x08}, DataDirection::In, 40, 20, false, {}});
        c.push_back({"ReadXdata 4 at 0x505E", [](auto& p, auto& d) { auto b = Buffer(4); ReadXdata(p, d, 0x505E, b); },
                     {0xDF, 0x10, 0, 0, 0x04, 0, 0x50, 0x5E, 0, 0, 0, 0xFD}, DataDirection::In, 4, 20, false, {}});
        c.push_back({"ReadFlashBlock 4096 at 0xC000", [](auto& p, auto& d) { auto b = Buffer(4096); ReadFlashBlock(p, d, 0xC000, b); },
                     {0xDF, 0x10, 0, 0x10, 0x00, 0, 0, 0, 0x00, 0xC0, 0x00, 0xFA}, DataDirection::In, 4096, 20, false, {}});
        c.push_back({"WriteFlashBlock mode 0x85", [](auto& p, auto& d) { auto b = Buffer(512); WriteFlashBlock(p, d, 0x012000, b, 0x85); },
                     {0xDF, 0x85, 0, 0x02, 0x00, 0, 0, 0, 0x01, 0x20, 0x00, 0xFB}, DataDirection::Out, 512, 10, true, {}});
        c.push_back({"WriteFlashBlock mode 0x7F keeps 0x07", [](auto& p, auto& d) { auto b = Buffer(512); WriteFlashBlock(p, d, 0, b, 0x7F); },
                     {0xDF, 0x07, 0, 0x02, 0x00, 0, 0, 0, 0, 0, 0, 0xFB}, DataDirection::Out, 512, 10, true, {}});
        c.push_back({"EnableVendorMode", [](auto& p, auto& d) { EnableVendorMode(p, d); },
                     {0xFF, 0x04, 0x4B, 0x58, 0x55}, DataDirection::Out, 0, 10, true, {}});
        c.push_back({"DisableVendorMode", [](auto& p, auto& d) { DisableVendorMode(p, d); },
                     {0xFF, 0x04, 0x4B, 0x58, 0xAA}, DataDirection::Out, 0, 10, true, {}});
        c.push_back({"ResetChip", [](auto& p, auto& d) { ResetChip(p, d); },
                     {0xFF, 0x04, 0x26, 0x4B, 0x58}, DataDirection::In, 0, 20, false, {}});
        c.push_back({"PrepareUpdate", [](auto& p, auto& d) { PrepareUpdate(p, d); },
                     {0xFF, 0x04, 0x25}, DataDirection::Out, 0, 10, true, {}});
        c.push_back({"ReadFlash at 0x18000", [](auto& p, auto& d) { auto b = Buffer(16); ReadFlash(p, d, 0x18000, b); },
                     {0xFF, 0x04, 0x10, 0x01, 0x80, 0x00}, DataDirection::In, 16, 20, false, {}});
        c.push_back({"WriteFlash at 0x012345", [image](auto& p, auto& d) { WriteFlash(p, d, 0x012345, image); },
                     {0xFF, 0x04, 0x11, 0x01, 0x23, 0x45}, DataDirection::Out, 5, 10, true, image});
        c.push_back({"ReadFlashStatus asks for two bytes", [](auto& p, auto& d) { std::uint8_t s; ReadFlashStatus(p, d, s); },
                     {0xFF, 0x04, 0x12}, DataDirection::In, 2, 20, false, {}});
        c.push_back({"EraseFlashChip waits a hundred seconds", [](auto& p, auto& d) { EraseFlashChip(p, d); },
                     {0xFF, 0x04, 0x13}, DataDirection::Out, 0, 100, true, {}});
        c.push_back({"EraseFlashSector at 0x8000", [](auto& p, auto& d) { EraseFlashSector(p, d, 0x8000); },
                     {0xFF, 0x04, 0x14, 0x00, 0x80, 0x00}, DataDirection::Out, 0, 10, true, {}});
        c.push_back({"SendSpiOpcode 0x9F", [](auto& p, auto& d) { SendSpiOpcode(p, d, 0x9F); },
                     {0xFF, 0x04, 0x20, 0x01, 0x01, 0x9F}, DataDirection::In, 0, 20, false, {}});
        c.push_back({"ReadSpiResponse", [](auto& p, auto& d) { auto b = Buffer(4); ReadSpiResponse(p, d, b); },
                     {0xFF, 0x04, 0x21}, DataDirection::In, 4, 20, false, {}});
        c.push_back({"ReadSpiSignature 0x15 without flag", [](auto& p, auto& d) { std::array<std::uint8_t, 3> b{}; ReadSpiSignature(p, d, b, 0x15, false); },
                     {0xFF, 0x04, 0x15, 0x03, 0x15, 0x00}, DataDirection::In, 3, 20, false, {}});
        c.push_back({"ReadSpiSignature 0xAB with flag", [](auto& p, auto& d) { std::array<std::uint8_t, 3> b{}; ReadSpiSignature(p, d, b, 0xAB, true); },
                     {0xFF, 0x04, 0x15, 0x03, 0xAB, 0x03}, DataDirection::In, 3, 20, false, {}});
        c.push_back({"ReadFlashType", [](auto& p, auto& d) { std::array<std::uint8_t, 4> b{}; ReadFlashType(p, d, b); },
                     {0xFF, 0x04, 0x23, 0x04}, DataDirection::In, 4, 20, false, {}});
        c.push_back({"SwitchToInternalRom", [](auto& p, auto& d) { SwitchToInternalRom(p, d); },
                     {0xFF, 0x04, 0x05}, DataDirection::Out, 0, 10, true, {}});
        c.push_back({"IsRomBusy asks for two bytes", [](auto& p, auto& d) { IsRomBusy(p, d); },
                     {0xFF, 0x04, 0x00}, DataDirection::In, 2, 20, false, {}});
        c.push_back({"StartRomErase", [](auto& p, auto& d) { StartRomErase(p, d); },
                     {0xFF, 0x04, 0x01}, DataDirection::Out, 0, 10, true, {}});
        c.push_back({"LoadRomEraseSequence type 0", [](auto& p, auto& d) { LoadRomEraseSequence(p, d, 0); },
                     {0xFF, 0x04, 0x04}, DataDirection::Out, 18, 10, true,
                     {0x55, 0x55, 0xAA, 0x2A, 0x55, 0x55, 0x55, 0x55, 0xAA, 0x2A, 0x55, 0x55, 0xAA, 0x55, 0x80, 0xAA, 0x55, 0x10}});
        c.push_back({"LoadRomEraseSequence type 1", [](auto& p, auto& d) { LoadRomEraseSequence(p, d, 1); },
                     {0xFF, 0x04, 0x04}, DataDirection::Out, 18, 10, true,
                     {0x55, 0x05, 0xAA, 0x02, 0x55, 0x05, 0x55, 0x05, 0xAA, 0x02, 0x55, 0x05, 0xAA, 0x55, 0x80, 0xAA, 0x55, 0x10}});
        c.push_back({"ProgramRom type 2", [image](auto& p, auto& d) { ProgramRom(p, d, image, 2); },
                     {0xFF, 0x04, 0x02, 0x55, 0x55, 0xAA, 0x2A, 0x55, 0x55, 0xAA, 0x55, 0xA0}, DataDirection::Out, 5, 10, true, image});
        c.push_back({"ProgramRom type 1", [image](auto& p, auto& d) { ProgramRom(p, d, image, 1); },
                     {0xFF, 0x04, 0x02, 0x55, 0x05, 0xAA, 0x02, 0x55, 0x05, 0xAA, 0x55, 0xA0}, DataDirection::Out, 5, 10, true, image});
        c.push_back({"ProgramRom unknown type sends zero cycles", [image](auto& p, auto& d) { ProgramRom(p, d, image, 3); },
                     {0xFF, 0x04, 0x02}, DataDirection::Out, 5, 10, true, image});
        c.push_back({"ReadRom at 0x10000", [](auto& p, auto& d) { auto b = Buffer(8); ReadRom(p, d, 0x10000, b); },
                     {0xFF, 0x04, 0x03, 0x00, 0x00, 0x01, 0x00}, DataDirection::In, 8, 20, false, {}});
        c.push_back({"ReadRom at 0x1234", [](auto& p, auto& d) { auto b = Buffer(8); ReadRom(p, d, 0x1234, b); },
                     {0xFF, 0x04, 0x03, 0x34, 0x12, 0x00, 0x00}, DataDirection::In, 8, 20, false, {}});
        return c;
    }();
    return cases;
}

class CommandWire : public ::testing::TestWithParam<WireCase> {};

TEST_P(CommandWire, SendsExactlyTheCommandBlockDirectionLengthAndTimeout) {
    testing::EmulatedPlatform emulated;
    const DevicePath path = emulated.AddDevice(R"({"chip": "kxt850", "parallelFlashPart": 0})");
    GetParam().send(emulated.platform, path);

    const emulator::CommandLog log = emulated.bus.Log();
    ASSERT_EQ(log.size(), 1U);
    const emulator::LoggedCommand& sent = log[0];
    EXPECT_EQ(sent.cdbLength, 12U);
    EXPECT_EQ(std::vector<std::uint8_t>(sent.cdb.begin(), sent.cdb.begin() + 12),
              std::vector<std::uint8_t>(GetParam().cdb.begin(), GetParam().cdb.end()));
    EXPECT_EQ(sent.direction, GetParam().direction);
    EXPECT_EQ(sent.length, GetParam().length);
    EXPECT_EQ(sent.timeoutSeconds, GetParam().timeoutSeconds);
    EXPECT_EQ(sent.exclusive, GetParam().exclusive);
    if (!GetParam().dataOut.empty()) {
        EXPECT_EQ(sent.dataOut, GetParam().dataOut);
    }
}

INSTANTIATE_TEST_SUITE_P(EveryCommand, CommandWire, ::testing::ValuesIn(Cases()),
                         [](const auto& test) {
                             std::string name;
                             for (char c : std::string(test.param.name)) {
                                 name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             }
                             return name;
                         });

TEST(VendorCommandLimits, ValuesThatDoNotFitTheirFieldAreRefusedBeforeSending) {
    testing::EmulatedPlatform emulated;
    const DevicePath path = emulated.AddDevice(R"({"chip": "kxt850"})");
    std::vector<std::uint8_t> tooLong(0x10000);
    std::vector<std::uint8_t> small(4);
    std::array<std::uint8_t, 7> shortInfo{};

    EXPECT_FALSE(ReadFlashBlock(emulated.platform, path, 0, tooLong));
    EXPECT_FALSE(WriteFlashBlock(emulated.platform, path, 0, tooLong, 2));
    EXPECT_FALSE(ReadFlash(emulated.platform, path, 0x1000000, small));
    EXPECT_FALSE(ReadChipInfo(emulated.platform, path, shortInfo));
    EXPECT_TRUE(emulated.bus.Log().empty());
}

TEST(IsRomBusy, AnUnreachableDeviceCountsAsBusy) {
    testing::EmulatedPlatform emulated;
    const DevicePath path = emulated.AddDevice(R"({"chip": "kxt850", "openError": "absent"})");
    EXPECT_TRUE(IsRomBusy(emulated.platform, path));
}

TEST(IsRomBusy, OnlyTheStatusValueOneMeansBusy) {
    testing::EmulatedPlatform emulated;
    const DevicePath idle = emulated.AddDevice(R"({"id": "idle", "parallelFlashPart": 0})");
    const DevicePath busy = emulated.AddDevice(R"({"id": "busy", "parallelFlashPart": 0, "romBusyReads": "always"})");
    EXPECT_FALSE(IsRomBusy(emulated.platform, idle));
    EXPECT_TRUE(IsRomBusy(emulated.platform, busy));
}

}  // namespace
}  // namespace kxt::device
