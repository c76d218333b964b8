#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "app/WindowTexts.h"
#include "device/ConfigBlockMerge.h"
#include "device/KXT850Image.h"
#include "emulator/Scenario.h"
#include "tests/support/WindowFixture.h"

namespace kxt::app {
namespace {

using testing::WindowFixture;

std::vector<std::uint8_t> Range(std::span<const std::uint8_t> bytes, std::size_t from, std::size_t count) {
    return {bytes.begin() + static_cast<std::ptrdiff_t>(from),
            bytes.begin() + static_cast<std::ptrdiff_t>(from + count)};
}

// A KXT850 that needs the update, its own block filled with a recognisable pattern.
os::DevicePath AddOutdatedKXT850(WindowFixture& f, bool signature) {
    const auto path = f.Add(R"({"chip": "kxt850", "flash": {"regions": [{"random": 5, "length": 49152}]}})");
    auto flash = f.Flash(path);
    for (std::size_t i = 0; i < 256; ++i) flash[0xC000 + i] = static_cast<std::uint8_t>(0xA0 ^ i);
    if (signature) {
        flash[0xC0FE] = 'K';
        flash[0xC0FF] = 'X';
    }
    return path;
}

TEST(KXT850Update, MergesTheDevicesBlockSignsProgramsAndResets) {
    WindowFixture f;
    const auto path = AddOutdatedKXT850(f, true);
    const std::vector<std::uint8_t> oldBlock = Range(f.Flash(path), 0xC000, 256);
    TK71xFwTool& window = f.Open();
    ASSERT_TRUE(window.EraseButton.shown);

    window.EraseButtonClick();

    const auto flash = f.Flash(path);
    EXPECT_EQ(Range(flash, 0, 0xBFFE), Range(f.kxt850Image, 0, 0xBFFE));
    std::vector<std::uint8_t> expectedBlock = oldBlock;
    for (std::size_t i = 0; i < 128; ++i) {
        if (device::KXT850MergeTable[i] < 256) expectedBlock[i] = f.kxt850Image[0xC000 + i];
    }
    EXPECT_EQ(Range(flash, 0xC000, 256), expectedBlock);
    EXPECT_EQ(Range(flash, 0xC080, 128), Range(oldBlock, 128, 128)) << "bytes 128-255 stay the device's";
    EXPECT_EQ(device::StoredKXT850Checksum(flash), device::ComputeKXT850Checksum(flash));
    EXPECT_TRUE(std::all_of(flash.begin() + 0xC100, flash.end(), [](auto b) { return b == 0; }));

    EXPECT_EQ(f.Count("ResetChip"), 1U);
    ASSERT_EQ(f.emulated.ui.messages.size(), 1U);
    EXPECT_EQ(f.emulated.ui.messages[0].text, "KXT850 Auto reset, Please wait device re-attached!");
    EXPECT_EQ(f.emulated.ui.messages[0].caption, "Message");
    EXPECT_TRUE(window.replugLable1.shown);
    EXPECT_EQ(window.replugLable1.text, "Please wait device re-attached!");
    EXPECT_FALSE(window.devLable.shown || window.EraseButton.shown || window.ExitBtn.shown);
    EXPECT_TRUE(window.ExtBtn.shown);
    EXPECT_FALSE(window.FwUpdatBar.shown);
}

TEST(KXT850Update, ABlockWithoutSignatureIsReplacedByTheEmbeddedBlock) {
    WindowFixture f;
    const auto path = AddOutdatedKXT850(f, false);
    f.Open().EraseButtonClick();
    EXPECT_EQ(Range(f.Flash(path), 0xC000, 256), Range(f.kxt850Image, 0xC000, 256));
}

TEST(KXT850Update, AfterTheReattachTheRescanFindsTheChipUpdated) {
    WindowFixture f;
    AddOutdatedKXT850(f, true);
    TK71xFwTool& window = f.Open();
    window.EraseButtonClick();
    f.emulated.clock.Sleep(std::chrono::seconds(2));
    window.RefreshBtnClick();
    EXPECT_EQ(window.devLable.text, std::string(texts::kAlreadyUpdated));
    EXPECT_FALSE(window.replugLable1.shown);
}

struct FailureCase {
    const char* name;
    const char* faults;
    std::size_t expectedFlashChanges;
};

class KXT850Failure : public ::testing::TestWithParam<FailureCase> {};

TEST_P(KXT850Failure, EndsInUpdateFailed) {
    WindowFixture f;
    const auto path = AddOutdatedKXT850(f, true);
    f.emulated.bus.Find(path)->faults.clear();
    TK71xFwTool& window = f.Open();
    // Faults are planned after the scan so that they hit the run.
    f.emulated.bus.ClearLog();
    f.emulated.bus.Find(path)->occurrences.clear();
    emulator::EmulatedBus scratch(f.emulated.clock);
    const auto faultDevice = std::string(R"({"faults": )") + GetParam().faults + "}";
    emulator::LoadScenarioText("{\"devices\": [" + faultDevice + "]}", "faults", ".", scratch);
    f.emulated.bus.Find(path)->faults = scratch.Devices()[0]->faults;

    window.EraseButtonClick();

    EXPECT_EQ(window.devLable.text, "                     Update    fail!!");
    EXPECT_EQ(window.devLable.colour, FontColour::Red);
    EXPECT_TRUE(window.devLable.shown && window.ExtBtn.shown);
    EXPECT_FALSE(window.EraseButton.shown || window.ExitBtn.shown || window.replugLable1.shown);
    EXPECT_TRUE(window.EraseButton.enabled);
    EXPECT_EQ(f.Count("ResetChip"), 0U);
    EXPECT_EQ(f.FlashChanges(), GetParam().expectedFlashChanges);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, KXT850Failure,
    ::testing::Values(
        // The device's block cannot be read: nothing is programmed.
        FailureCase{"BlockReadFails", R"([{"command": "ReadFlashBlock", "occurrence": 1}])", 0},
        // Every attempt's first write fails: three attempts, one write each.
        FailureCase{"WritesFail", R"([{"command": "WriteFlashBlock", "occurrence": 0}])", 4}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(KXT850Update, NoEmbeddedImageMeansNothingIsWritten) {
    WindowFixture f;
    f.emulated.firmware = testing::InMemoryFirmware();
    AddOutdatedKXT850(f, true);
    TK71xFwTool& window = f.Open();
    window.EraseButtonClick();
    EXPECT_EQ(window.devLable.text, std::string(texts::kUpdateFailed));
    EXPECT_EQ(f.FlashChanges(), 0U);
}

// A KXT861 with a signed block whose byte 47 has the given option bit 1.
os::DevicePath AddKXT861(WindowFixture& f, bool registerBit, bool deviceOptionBit) {
    const std::string json = std::string(R"({"chip": "kxt861",
        "flash": {"regions": [{"random": 9, "length": 65536}]},
        "xdata": {"0x7058": [)") + (registerBit ? "1" : "0") + R"(], "0x505E": [0, 0, 0]}})";
    const auto path = f.Add(json);
    auto flash = f.Flash(path);
    flash[126] = 'K';
    flash[127] = 'X';
    flash[47] = deviceOptionBit ? 0x02 : 0x00;
    return path;
}

struct OptionCase {
    const char* name;
    bool registerBit;
    bool deviceOptionBit;
    bool newBlockOptionBit;
    std::uint8_t expectedBits;  // bits 1 and 2 of the programmed byte 47
};

class KXT861OptionByte : public ::testing::TestWithParam<OptionCase> {};

TEST_P(KXT861OptionByte, FollowsTheRegisterAndTheDevicesOptionBit) {
    WindowFixture f;
    f.kxt861Image[47] = GetParam().newBlockOptionBit ? 0x02 : 0x00;
    f.CarryKXT861Image();
    const auto path = AddKXT861(f, GetParam().registerBit, GetParam().deviceOptionBit);
    TK71xFwTool& window = f.Open();
    window.EraseButtonClick();
    ASSERT_EQ(window.replugLable1.text, "Please power cycle the device");
    EXPECT_EQ(f.Flash(path)[47] & 0x06, GetParam().expectedBits);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, KXT861OptionByte,
    ::testing::Values(OptionCase{"RegisterSetDeviceClear", true, false, true, 0x04},
                      OptionCase{"RegisterClear", false, false, false, 0x06},
                      OptionCase{"BothSetNewBlockClear", true, true, false, 0x04},
                      OptionCase{"BothSetNewBlockSet", true, true, true, 0x06}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(KXT861Update, SucceedsBySectorsWithoutAResetAndKeepsTheBarAtMostFull) {
    WindowFixture f;
    f.CarryKXT861Image();
    const auto path = AddKXT861(f, true, true);
    TK71xFwTool& window = f.Open();
    int highest = 0;
    struct Watch : WindowObserver {
        int& highest;
        explicit Watch(int& h) : highest(h) {}
        void Redraw(const WindowControls& c) override { highest = std::max(highest, c.FwUpdatBar.position); }
    } watch(highest);
    window.SetObserver(&watch);
    window.EraseButtonClick();
    EXPECT_EQ(window.replugLable1.text, "Please power cycle the device");
    EXPECT_EQ(f.Count("ResetChip"), 0U);
    EXPECT_GT(f.Count("WriteFlash"), 0U);
    EXPECT_EQ(f.Count("WriteFlashBlock"), 0U);
    EXPECT_EQ(highest, 70);
    EXPECT_EQ(Range(f.Flash(path), 128, f.kxt861Image.size() - 128),
              Range(f.kxt861Image, 128, f.kxt861Image.size() - 128));
}

TEST(KXT861Update, RevisionNineTakesTheBlockPathWithoutBlockSupport) {
    WindowFixture f;
    f.CarryKXT861Image();
    const auto path = AddKXT861(f, true, true);
    // The late silicon: internal memory byte 0xFDB1 at 0xB4 or more.
    f.emulated.Device(path).chip.MutablePersonality().xdata[0xFDB1] = 0xB4;
    TK71xFwTool& window = f.Open();
    ASSERT_EQ(device::RevisionOf(window.ChipId), 9);
    window.EraseButtonClick();
    EXPECT_GT(f.Count("WriteFlashBlock"), 0U);
    EXPECT_EQ(f.Count("WriteFlash"), 0U);
    EXPECT_EQ(window.replugLable1.text, "Please power cycle the device");
}

TEST(KXT861Update, WithoutAnEmbeddedImageNothingIsWrittenOrErased) {
    WindowFixture f;
    AddKXT861(f, true, true);
    TK71xFwTool& window = f.Open();
    ASSERT_EQ(window.DeviceList.items.size(), 1U);
    window.EraseButtonClick();
    EXPECT_EQ(window.devLable.text, std::string(texts::kUpdateFailed));
    EXPECT_EQ(f.FlashChanges(), 0U);
    EXPECT_EQ(f.Count("PrepareUpdate"), 0U);
}

TEST(UpdateRun, ClearsEraseOnlyAndIgnoresAClickInsideARun) {
    WindowFixture f;
    AddOutdatedKXT850(f, true);
    TK71xFwTool& window = f.Open();
    window.EraseOnly = 1;
    struct Reenter : WindowObserver {
        TK71xFwTool* window = nullptr;
        int clicks = 0;
        void Redraw(const WindowControls&) override {
            if (window != nullptr && clicks++ == 0) window->EraseButtonClick();
        }
    } reenter;
    reenter.window = &window;
    window.SetObserver(&reenter);
    window.EraseButtonClick();
    window.SetObserver(nullptr);
    EXPECT_EQ(window.EraseOnly, 0);
    EXPECT_EQ(f.Count("ResetChip"), 1U) << "one run only";
}

}  // namespace
}  // namespace kxt::app
