#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "app/WindowTexts.h"
#include "tests/support/WindowFixture.h"

namespace kxt::app {
namespace {

using testing::WindowFixture;

// A KXT850 whose flash holds other code and its own configuration block.
constexpr const char* kOutdatedKXT850 =
    R"({"id": "%ID%", "chip": "kxt850", "product": "%NAME%",
        "flash": {"regions": [{"random": 5, "length": 49152}, {"offset": "0xC0FE", "text": "KX"}]}})";

std::string Device(std::string json, const std::string& id, const std::string& name = "Enclosure") {
    json.replace(json.find("%ID%"), 4, id);
    json.replace(json.find("%NAME%"), 6, name);
    return json;
}

void MakeCurrent(WindowFixture& f, const os::DevicePath& path) {
    auto flash = f.Flash(path);
    std::copy_n(f.kxt850Image.begin(), 0xBFFE, flash.begin());
    flash[0xBFFE] ^= 0xFF;  // another checksum and another block do not matter
    flash[0xC010] ^= 0xFF;
}

TEST(DeviceScan, WithNoUsbStorageOnlyExitIsOffered) {
    WindowFixture f;
    TK71xFwTool& window = f.Open();
    EXPECT_EQ(window.DeviceCount, 0);
    EXPECT_EQ(window.DeviceList.items, std::vector<std::string>{"No available device!!!"});
    EXPECT_FALSE(window.DeviceList.enabled);
    EXPECT_EQ(window.devLable.text, "                 No device found!!");
    EXPECT_EQ(window.devLable.colour, FontColour::Red);
    EXPECT_TRUE(window.ExtBtn.shown);
    EXPECT_FALSE(window.EraseButton.shown || window.EraseButton.enabled);
    EXPECT_FALSE(window.ExitBtn.shown || window.ExitBtn.enabled);
    EXPECT_FALSE(window.replugLable1.shown);
    EXPECT_TRUE(window.ReleaseList.empty());
}

TEST(DeviceScan, AForeignStickGetsOnlyIdentificationCommands) {
    WindowFixture f;
    f.Add(R"({"chip": "foreign"})");
    TK71xFwTool& window = f.Open();
    EXPECT_EQ(window.DeviceCount, 1);
    EXPECT_TRUE(window.DeviceList.items.empty());
    EXPECT_TRUE(window.DeviceList.enabled);
    EXPECT_EQ(window.devLable.text, std::string(texts::kNoDeviceFound));
    EXPECT_EQ(f.Count("EnableVendorMode"), 0U);
    for (const auto& command : f.emulated.bus.Log()) {
        EXPECT_TRUE(command.name == "Inquiry" || command.name == "ReadLegacyChipId" ||
                    command.name == "ReadChipInfo")
            << command.name;
    }
}

TEST(DeviceScan, AKXT850WithCurrentCodeIsNotListedWhateverItsBlockAndChecksum) {
    WindowFixture f;
    const auto path = f.Add(Device(kOutdatedKXT850, "a"));
    MakeCurrent(f, path);
    TK71xFwTool& window = f.Open();
    EXPECT_TRUE(window.DeviceList.items.empty());
    EXPECT_EQ(window.devLable.text, "               The chip already updated!!");
    EXPECT_EQ(window.devLable.colour, FontColour::Red);
    EXPECT_TRUE(window.ExtBtn.shown);
    EXPECT_FALSE(window.EraseButton.shown);
    EXPECT_EQ(f.Count("EnableVendorMode"), 1U);
}

TEST(DeviceScan, OneDifferingCodeByteMakesTheDeviceOutdated) {
    WindowFixture f;
    const auto path = f.Add(Device(kOutdatedKXT850, "a"));
    MakeCurrent(f, path);
    f.Flash(path)[0xBFFD] ^= 0x01;
    TK71xFwTool& window = f.Open();
    EXPECT_EQ(window.DeviceList.items.size(), 1U);
}

TEST(DeviceScan, ACurrentBridgeGivesItsTableEntryToTheNextOne) {
    WindowFixture f;
    const auto current = f.Add(Device(kOutdatedKXT850, "first", "Current One"));
    const auto outdated = f.Add(Device(kOutdatedKXT850, "second", "Outdated Two"));
    MakeCurrent(f, current);
    TK71xFwTool& window = f.Open();
    ASSERT_EQ(window.DeviceList.items.size(), 1U);
    EXPECT_EQ(window.DeviceList.items[0], "<<USB>> Kavrix  Outdated Two    ");
    EXPECT_EQ(window.DeviceTable[0].path, outdated);
    EXPECT_EQ(window.DeviceList.index, 0);
    EXPECT_EQ(window.devLable.text, "Click 'Yes' to proceed with the firmware update");
    EXPECT_EQ(window.devLable.colour, FontColour::Black);
    EXPECT_TRUE(window.EraseButton.shown && window.EraseButton.enabled);
    EXPECT_TRUE(window.ExitBtn.shown && window.ExitBtn.enabled);
    EXPECT_FALSE(window.ExtBtn.shown);
    EXPECT_EQ(device::ClassOf(window.ChipId), device::ChipClass::ChipKXT850);
}

TEST(DeviceScan, EveryCdromInterfaceGetsVendorModeAndIsReleasedAtTheEnd) {
    WindowFixture f;
    const auto stick = f.Add(R"({"id": "stick", "chip": "foreign", "interface": "cdrom", "unknownCommands": "reject"})");
    const auto bridge = f.Add(Device(kOutdatedKXT850, "bridge"));
    f.Open();
    EXPECT_EQ(f.window->ReleaseList, std::vector<os::DevicePath>{stick});
    const auto enables = emulator::CommandsNamed(f.emulated.bus.Log(), "EnableVendorMode");
    ASSERT_EQ(enables.size(), 2U);
    EXPECT_EQ(enables[0].path, bridge);
    EXPECT_EQ(enables[1].path, stick);

    f.emulated.bus.ClearLog();
    f.window.reset();
    const auto disables = emulator::CommandsNamed(f.emulated.bus.Log(), "DisableVendorMode");
    ASSERT_EQ(disables.size(), 1U);
    EXPECT_EQ(disables[0].path, stick);
}

TEST(DeviceScan, AKXT850WithoutEmbeddedImageIsListedEvenWithAnEmptyFlash) {
    WindowFixture f;
    f.emulated.firmware = testing::InMemoryFirmware();
    f.Add(R"({"chip": "kxt850", "flash": {"fill": 0}})");
    EXPECT_EQ(f.Open().DeviceList.items.size(), 1U);
}

TEST(DeviceScan, ADisplayNameEndsAtItsFirstZeroByte) {
    WindowFixture f;
    f.Add(R"({"chip": "kxt850", "vendor": "Kav", "product": "Box"})");
    const auto path = f.emulated.bus.Devices().back()->path;
    f.emulated.Device(path).chip.MutablePersonality().vendor = std::string("Kav\0\0\0\0\0", 8);
    EXPECT_EQ(f.Open().DeviceList.items.at(0), "<<USB>> Kav");
}

TEST(DeviceScan, AKXT861WithoutEmbeddedImageIsAlwaysListed) {
    WindowFixture f;
    f.Add(R"({"chip": "kxt861"})");
    TK71xFwTool& window = f.Open();
    EXPECT_EQ(window.DeviceList.items.size(), 1U);
    EXPECT_EQ(window.ChipLabelEdit.text, "KXT861/850 Series");
    EXPECT_EQ(window.StatusEdit.text, "The chip not support Firmware Update!");
}

struct VersionCase {
    const char* name;
    int identityLength;
    const char* expected;
};

class ReadinessVersion : public ::testing::TestWithParam<VersionCase> {};

TEST_P(ReadinessVersion, ShortRecordsShowTheShortVersion) {
    WindowFixture f;
    f.Add(R"({"chip": "kxt850", "identity": {"model": "850", "shortVersion": [1, 5],
              "longVersion": [2, 3, 4], "length": )" +
          std::to_string(GetParam().identityLength) + "}}");
    EXPECT_EQ(f.Open().FwVerLableEdit.text, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Lengths, ReadinessVersion,
                         ::testing::Values(VersionCase{"Twelve", 12, "Ver 1.05"},
                                           VersionCase{"Thirteen", 13, "Ver 2.00.00"},
                                           VersionCase{"Sixteen", 16, "Ver 2.03.04"}),
                         [](const auto& test) { return std::string(test.param.name); });

}  // namespace
}  // namespace kxt::app
