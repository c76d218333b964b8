#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <vector>

#include "device/VendorCommands.h"
#include "emulator/CommandLog.h"
#include "emulator/NorFlash.h"
#include "tests/support/TestPlatform.h"

namespace kxt::emulator {
namespace {

using device::DevicePath;

TEST(NorFlash, ProgrammingOnlyClearsBitsAndEraseSetsTheWholeUnit) {
    NorFlash flash(0x4000, 0x00);
    flash.EraseUnit(0x1234, 0x1000);
    const std::array<std::uint8_t, 2> first{0xF0, 0x3C};
    const std::array<std::uint8_t, 2> second{0x0F, 0xFF};
    flash.Program(0x1000, first);
    flash.Program(0x1000, second);
    std::array<std::uint8_t, 4> read{};
    flash.Read(0x0FFF, read);
    EXPECT_EQ(read, (std::array<std::uint8_t, 4>{0x00, 0x00, 0x3C, 0xFF}));
    flash.Read(0x1FFF, std::span(read).first(2));
    EXPECT_EQ(read[0], 0xFF);
    EXPECT_EQ(read[1], 0x00) << "the erase must stop at the end of its unit";
}

TEST(NorFlash, AddressesWrapAtTheEndLikeASerialFlash) {
    NorFlash flash(0x100, 0xFF);
    const std::array<std::uint8_t, 2> data{0x12, 0x34};
    flash.Program(0xFF, data);
    std::array<std::uint8_t, 1> wrapped{};
    flash.Read(0x100, wrapped);
    EXPECT_EQ(wrapped[0], 0x34);
}

TEST(EmulatedChip, AForeignDiskAnswersInquiryOnly) {
    testing::EmulatedPlatform emulated;
    const DevicePath path = emulated.AddDevice(R"({"chip": "foreign"})");
    std::array<std::uint8_t, 40> inquiry{};
    std::array<std::uint8_t, 16> identity{};
    std::int32_t transferred = 0;
    EXPECT_TRUE(device::Inquiry(emulated.platform, path, inquiry));
    EXPECT_EQ(std::string(inquiry.begin() + 8, inquiry.begin() + 15), "Generic");
    EXPECT_FALSE(device::ReadFirmwareIdentity(emulated.platform, path, identity, transferred));
    EXPECT_FALSE(device::EnableVendorMode(emulated.platform, path));
}

TEST(EmulatedChip, ARejectingDiskCompletesUnknownCommandsWithoutData) {
    testing::EmulatedPlatform emulated;
    const DevicePath path =
        emulated.AddDevice(R"({"chip": "foreign", "unknownCommands": "reject"})");
    std::array<std::uint8_t, 16> identity{};
    identity.fill(0xEE);
    std::int32_t transferred = -1;
    EXPECT_TRUE(device::ReadFirmwareIdentity(emulated.platform, path, identity, transferred));
    EXPECT_EQ(transferred, 0);
    EXPECT_EQ(identity[0], 0xEE);
}

TEST(EmulatedChip, AShortIdentityRecordReportsItsLength) {
    testing::EmulatedPlatform emulated;
    const DevicePath path =
        emulated.AddDevice(R"({"chip": "kxt850", "identity": {"model": "850", "length": 12}})");
    std::array<std::uint8_t, 16> identity{};
    std::int32_t transferred = 0;
    ASSERT_TRUE(device::ReadFirmwareIdentity(emulated.platform, path, identity, transferred));
    EXPECT_EQ(transferred, 12);
    EXPECT_EQ(identity[8], '8');
}

TEST(EmulatedChip, WithoutRawIoOnlyInquiryPassesAndTheDenialIsReported) {
    testing::EmulatedPlatform emulated;
    const DevicePath path = emulated.AddDevice(R"({"chip": "kxt850", "rawIoDenied": true})");
    std::array<std::uint8_t, 40> inquiry{};
    EXPECT_TRUE(device::Inquiry(emulated.platform, path, inquiry));
    EXPECT_TRUE(emulated.bus.PermissionDenials().empty());
    EXPECT_FALSE(device::EnableVendorMode(emulated.platform, path));
    EXPECT_EQ(emulated.bus.PermissionDenials(), std::vector<DevicePath>{path});
}

TEST(EmulatedChip, AnUnopenableDeviceIsListedButRefusesEveryRequest) {
    testing::EmulatedPlatform emulated;
    const DevicePath path = emulated.AddDevice(R"({"chip": "kxt850", "openError": "permission"})");
    EXPECT_EQ(emulated.bus.List(os::InterfaceKind::Disk), std::vector<DevicePath>{path});
    std::array<std::uint8_t, 40> inquiry{};
    EXPECT_FALSE(device::Inquiry(emulated.platform, path, inquiry));
    EXPECT_EQ(emulated.bus.PermissionDenials(), std::vector<DevicePath>{path});
    EXPECT_TRUE(emulated.bus.Log().empty()) << "nothing reaches a device that cannot be opened";
}

TEST(EmulatedChip, AResetDeviceLeavesTheBusAndReturnsAfterItsDelay) {
    testing::EmulatedPlatform emulated;
    const DevicePath path =
        emulated.AddDevice(R"({"chip": "kxt850", "interface": "cdrom", "reattachDelayMs": 1500})");
    std::vector<std::pair<DevicePath, DeviceChange>> changes;
    emulated.bus.SetChangeListener(
        [&changes](const DevicePath& changed, DeviceChange change) { changes.emplace_back(changed, change); });
    ASSERT_TRUE(device::EnableVendorMode(emulated.platform, path));
    ASSERT_TRUE(emulated.Device(path).chip.VendorMode());

    ASSERT_TRUE(device::ResetChip(emulated.platform, path));
    EXPECT_TRUE(emulated.bus.List(os::InterfaceKind::Cdrom).empty());
    EXPECT_FALSE(device::EnableVendorMode(emulated.platform, path));
    EXPECT_EQ(emulated.bus.NextReattachTime(), std::chrono::milliseconds(1500));

    emulated.clock.Sleep(std::chrono::milliseconds(1499));
    EXPECT_TRUE(emulated.bus.List(os::InterfaceKind::Cdrom).empty());
    emulated.clock.Sleep(std::chrono::milliseconds(1));
    EXPECT_EQ(emulated.bus.List(os::InterfaceKind::Cdrom), std::vector<DevicePath>{path});
    EXPECT_FALSE(emulated.Device(path).chip.VendorMode()) << "a restart clears vendor mode";
    EXPECT_EQ(changes, (std::vector<std::pair<DevicePath, DeviceChange>>{
                           {path, DeviceChange::Removal}, {path, DeviceChange::Arrival}}));
}

TEST(EmulatedChip, PlannedFaultsHitTheirOccurrence) {
    testing::EmulatedPlatform emulated;
    const DevicePath path = emulated.AddDevice(R"({"chip": "kxt850",
        "flash": {"fill": "0x5A"},
        "faults": [{"command": "ReadFlash", "occurrence": 2},
                   {"kind": "corrupt-read", "command": "ReadFlash", "occurrence": 3, "offset": 1},
                   {"kind": "disappear", "command": "ReadFlash", "occurrence": 4}]})");
    std::array<std::uint8_t, 4> data{};
    EXPECT_TRUE(device::ReadFlash(emulated.platform, path, 0, data));
    EXPECT_FALSE(device::ReadFlash(emulated.platform, path, 0, data));
    EXPECT_TRUE(device::ReadFlash(emulated.platform, path, 0, data));
    EXPECT_EQ(data, (std::array<std::uint8_t, 4>{0x5A, 0xA5, 0x5A, 0x5A}));
    EXPECT_FALSE(device::ReadFlash(emulated.platform, path, 0, data));
    EXPECT_TRUE(emulated.bus.List(os::InterfaceKind::Disk).empty());
    emulated.clock.Sleep(std::chrono::hours(1));
    EXPECT_TRUE(emulated.bus.List(os::InterfaceKind::Disk).empty()) << "a vanished device stays away";
}

struct RomCase {
    const char* name;
    int partOfChip;
    device::ParallelFlashType typeSent;
    bool switched;
    bool expectErased;
    bool expectProgrammed;
};

class InternalRom : public ::testing::TestWithParam<RomCase> {};

TEST_P(InternalRom, ErasesAndProgramsOnlyWithThePartsOwnCycles) {
    testing::EmulatedPlatform emulated;
    const DevicePath path = emulated.AddDevice(
        R"({"chip": "none", "needsRomSwitch": true, "flash": {"fill": "0x0F"}, "parallelFlashPart": )" +
        std::to_string(GetParam().partOfChip) + "}");
    const auto& p = emulated.platform;
    if (GetParam().switched) {
        ASSERT_TRUE(device::SwitchToInternalRom(p, path));
    }
    device::LoadRomEraseSequence(p, path, GetParam().typeSent);
    device::StartRomErase(p, path);
    std::array<std::uint8_t, 2> after{};
    device::ReadRom(p, path, 0x8000, after);
    const std::array<std::uint8_t, 2> image{0x12, 0x34};
    device::ProgramRom(p, path, image, GetParam().typeSent);
    std::array<std::uint8_t, 2> programmed{};
    device::ReadRom(p, path, 0, programmed);

    const auto& flash = emulated.Device(path).chip.Flash().Bytes();
    EXPECT_EQ(flash[0x8000], GetParam().expectErased ? 0xFF : 0x0F);
    const std::uint8_t base = GetParam().expectErased ? 0xFF : 0x0F;
    EXPECT_EQ(flash[0], GetParam().expectProgrammed ? (0x12 & base) : base);
}

INSTANTIATE_TEST_SUITE_P(
    Parts, InternalRom,
    ::testing::Values(RomCase{"AtmelCycles", 0, 0, true, true, true},
                      RomCase{"SstSharesAtmelCycles", 2, 0, true, true, true},
                      RomCase{"PmcCycles", 1, 1, true, true, true},
                      RomCase{"AtmelCyclesOnPmcPart", 1, 0, true, false, false},
                      RomCase{"ZeroCyclesForUnknownType", 0, 7, true, false, false},
                      RomCase{"NothingBeforeTheSwitch", 0, 0, false, false, false}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(EmulatedBus, WritesItsCommandLogAndSavesEachFlash) {
    testing::EmulatedPlatform emulated;
    const DevicePath path = emulated.AddDevice(R"({"id": "kxt", "chip": "kxt850",
        "flash": {"size": 16, "fill": "0xAB"}})");
    ASSERT_TRUE(device::EnableVendorMode(emulated.platform, path));
    const auto directory = std::filesystem::temp_directory_path() / "kxtfw-emulator-test";
    std::filesystem::remove_all(directory);
    ASSERT_TRUE(emulated.bus.SaveFlashes(directory));
    ASSERT_TRUE(emulated.bus.WriteLog(directory / "trace.log"));

    std::ifstream saved(directory / "kxt.bin", std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(saved), {}};
    EXPECT_EQ(bytes, std::vector<char>(16, static_cast<char>(0xAB)));
    std::ifstream trace(directory / "trace.log");
    std::string line;
    std::getline(trace, line);
    EXPECT_EQ(line,
              "0ms emu:kxt OUT EnableVendorMode FF 04 4B 58 55 00 00 00 00 00 00 00 len=0 "
              "timeout=10s exclusive ok");
    std::filesystem::remove_all(directory);
    EXPECT_FALSE(emulated.bus.WriteLog("/nonexistent-dir/trace.log"));
}

}  // namespace
}  // namespace kxt::emulator
