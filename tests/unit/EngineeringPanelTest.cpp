#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/WindowTexts.h"
#include "tests/support/WindowFixture.h"

namespace kxt::app {
namespace {

using device::ChipClass;
using testing::WindowFixture;

device::ChipIdentity Identity(ChipClass chipClass) { return device::MakeChipIdentity(chipClass, 0); }

void Click(TK71xFwTool& window, CheckBox& box, bool checked) {
    box.checked = checked;
    window.EraseOnlyCheckClick(box);
}

TEST(EngineeringPanel, TheTwoCheckBoxesAreNeverCheckedTogether) {
    WindowFixture f;
    TK71xFwTool& window = f.Open();
    Click(window, window.BackupFWCheckBox, true);
    Click(window, window.EraseOnlyCheck, true);
    EXPECT_TRUE(window.EraseOnlyCheck.checked);
    EXPECT_FALSE(window.BackupFWCheckBox.checked);
    EXPECT_EQ(window.EraseOnly, 1);

    Click(window, window.BackupFWCheckBox, true);
    EXPECT_FALSE(window.EraseOnlyCheck.checked);
    EXPECT_TRUE(window.BackupFWCheckBox.checked);
    EXPECT_EQ(window.EraseOnly, 0);
}

struct SizeListCase {
    const char* name;
    ChipClass chipClass;
    bool backup;
    bool eraseOnly;
    bool shown;
};

class FirmwareSizeList : public ::testing::TestWithParam<SizeListCase> {};

TEST_P(FirmwareSizeList, IsOfferedOnlyForTheKX40719WithABoxChecked) {
    WindowFixture f;
    TK71xFwTool& window = f.Open();
    window.ChipId = Identity(GetParam().chipClass);
    if (GetParam().backup) Click(window, window.BackupFWCheckBox, true);
    if (GetParam().eraseOnly) Click(window, window.EraseOnlyCheck, true);
    if (!GetParam().backup && !GetParam().eraseOnly) Click(window, window.EraseOnlyCheck, false);
    EXPECT_EQ(window.FwSizeCheck.shown, GetParam().shown);
    EXPECT_EQ(window.FwSizeCheck.enabled, GetParam().shown);
    EXPECT_EQ(window.FwSizeLable.shown, GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FirmwareSizeList,
    ::testing::Values(SizeListCase{"Kx40719Backup", ChipClass::ChipKX40719, true, false, true},
                      SizeListCase{"Kx40719EraseOnly", ChipClass::ChipKX40719, false, true, true},
                      SizeListCase{"Kx40719Neither", ChipClass::ChipKX40719, false, false, false},
                      SizeListCase{"Kx40712Backup", ChipClass::ChipKX40712, true, false, false},
                      SizeListCase{"Kxt850EraseOnly", ChipClass::ChipKXT850, false, true, false}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(EngineeringPanel, BackupOnlyEnablesRunWithoutAnyDevice) {
    WindowFixture f;
    TK71xFwTool& window = f.Open();
    ASSERT_EQ(window.DeviceCount, 0);
    ASSERT_FALSE(window.UpdateBtn.enabled);
    Click(window, window.BackupFWCheckBox, true);
    EXPECT_TRUE(window.UpdateBtn.enabled);
}

TEST(EngineeringPanel, EraseOnlyEnablesRunForAListedDeviceWithoutAFile) {
    WindowFixture f;
    f.Add(R"({"chip": "kxt850", "flash": {"fill": 0}})");
    TK71xFwTool& window = f.Open();
    Click(window, window.EraseOnlyCheck, true);
    EXPECT_TRUE(window.UpdateBtn.enabled);
    EXPECT_FALSE(window.FwFilenameEdit.enabled);

    window.ChipId = Identity(ChipClass::ChipUnknown);
    Click(window, window.EraseOnlyCheck, true);
    EXPECT_FALSE(window.UpdateBtn.enabled) << "no chip known";
}

TEST(EngineeringPanel, KXR741EraseOnlyShowsTheNvramBox) {
    WindowFixture f;
    TK71xFwTool& window = f.Open();
    window.ChipId = Identity(ChipClass::ChipKXR741);
    ASSERT_FALSE(window.NVRAMCheck.shown);
    Click(window, window.EraseOnlyCheck, true);
    EXPECT_TRUE(window.NVRAMCheck.shown);
}

struct SizeCase {
    int index;
    std::uint32_t firmwareSize;
    std::uint32_t pageSize;
};

class SizeChoices : public ::testing::TestWithParam<SizeCase> {};

TEST_P(SizeChoices, SetTheProcessSettings) {
    WindowFixture f;
    TK71xFwTool& window = f.Open();
    window.FwSizeCheck.index = GetParam().index;
    window.FwSizeCheckChange();
    window.FwPgSizeCheck.index = GetParam().index;
    window.FwPgSizeCheckChange();
    EXPECT_EQ(f.settings.FirmwareSize, GetParam().firmwareSize);
    EXPECT_EQ(f.settings.TransferPageSize, GetParam().pageSize);
}

INSTANTIATE_TEST_SUITE_P(Items, SizeChoices,
                         ::testing::Values(SizeCase{0, 32768, 32768}, SizeCase{1, 65536, 16384},
                                           SizeCase{2, 131072, 8192}, SizeCase{3, 262144, 4096},
                                           SizeCase{4, 524288, 2048},
                                           // Nothing chosen: the defaults stay.
                                           SizeCase{-1, 65536, 16384}));

TEST(EngineeringPanel, TheLargestFirmwareSizeIsOneMegabyte) {
    WindowFixture f;
    TK71xFwTool& window = f.Open();
    window.FwSizeCheck.index = 5;
    window.FwSizeCheckChange();
    EXPECT_EQ(f.settings.FirmwareSize, 1048576U);
}

TEST(EngineeringPanel, OpeningAndClosingThePanelRestoresTheHeight) {
    WindowFixture f;
    TK71xFwTool& window = f.Open();
    EXPECT_EQ(window.clientHeight, 100);
    EXPECT_FALSE(window.RdPanel.shown);
    window.RdCheckBox.checked = true;
    window.RdCheckBoxClick();
    EXPECT_EQ(window.clientHeight, 229);
    EXPECT_TRUE(window.RdPanel.shown);
    window.RdCheckBox.checked = false;
    window.RdCheckBoxClick();
    EXPECT_EQ(window.clientHeight, 100);
    EXPECT_FALSE(window.RdPanel.shown);
    EXPECT_FALSE(window.UpdateBtn.enabled);
}

TEST(EngineeringPanel, RunForAKXT850OnlyTraces) {
    WindowFixture f;
    f.Add(R"({"chip": "kxt850", "flash": {"fill": 0}})");
    TK71xFwTool& window = f.Open();
    window.UpdateBtn.enabled = true;
    f.emulated.bus.ClearLog();
    window.UpdateBtnClick();
    EXPECT_EQ(f.emulated.ui.traces, std::vector<std::string>{"Update Btn Press\n"});
    EXPECT_TRUE(f.emulated.bus.Log().empty());
    EXPECT_TRUE(window.UpdateBtn.enabled);
}

TEST(EngineeringPanel, LoadFileChecksTheChosenFileAndEnablesRun) {
    WindowFixture f;
    f.Add(R"({"chip": "kxt850", "flash": {"fill": 0}})");
    TK71xFwTool& window = f.Open();
    const auto file = std::filesystem::temp_directory_path() / "kxtfw-panel-test.bin";
    std::ofstream(file, std::ios::binary) << "any firmware";
    f.emulated.ui.chosenFile = file.string();

    window.LoadBtnClick();

    EXPECT_EQ(window.FwFilenameEdit.text, file.string());
    ASSERT_EQ(f.emulated.ui.dialogs.size(), 1U);
    EXPECT_EQ(f.emulated.ui.dialogs[0].second, "BinaryFile|*.bin|All Files|*.*");
    // No file suits a KXT850: the mismatch box, and yet "Run" ends enabled.
    ASSERT_EQ(f.emulated.ui.messages.size(), 1U);
    EXPECT_EQ(f.emulated.ui.messages[0].text, std::string(texts::kFileMismatch));
    EXPECT_EQ(f.emulated.ui.messages[0].caption, "Message");
    EXPECT_TRUE(window.UpdateBtn.enabled);
    std::filesystem::remove(file);
}

TEST(EngineeringPanel, ACancelledDialogChangesNothing) {
    WindowFixture f;
    TK71xFwTool& window = f.Open();
    window.StatusEdit.text = "old";
    window.BackupBtnClick();
    window.LoadBtnClick();
    EXPECT_TRUE(window.FwFilenameEdit.text.empty());
    EXPECT_TRUE(window.BackupFileEdit.text.empty());
    EXPECT_FALSE(window.UpdateBtn.enabled);
}

TEST(EngineeringPanel, BrowseSetsTheBackupFileAndEnablesRun) {
    WindowFixture f;
    TK71xFwTool& window = f.Open();
    f.emulated.ui.chosenFile = "/tmp/backup.bin";
    window.BackupBtnClick();
    EXPECT_EQ(window.BackupFileEdit.text, "/tmp/backup.bin");
    EXPECT_TRUE(window.UpdateBtn.enabled);
    EXPECT_TRUE(f.emulated.ui.messages.empty()) << "the backup name is not checked";
}

TEST(EngineeringPanel, AFreshWindowStartsWithTheDefaultSizes) {
    WindowFixture f;
    TK71xFwTool& window = f.Open();
    EXPECT_EQ(f.settings.FirmwareSize, 65536U);
    EXPECT_EQ(f.settings.TransferPageSize, 16384U);
    EXPECT_EQ(window.FwSizeCheck.items[static_cast<std::size_t>(window.FwSizeCheck.index)], "32KB");
    EXPECT_EQ(window.FwPgSizeCheck.items[static_cast<std::size_t>(window.FwPgSizeCheck.index)], "16 KB");
}

TEST(EngineeringMode, ListsOlderBridgesAndRunReachesTheirPath) {
    testing::WindowFixture f;
    f.Add(R"({"chip": "kx40712", "flash": {"fill": 255}})");
    f.emulated.firmware.Add("FW", "FW719", std::vector<std::uint8_t>(32768, 0x5A));
    TK71xFwTool window(f.emulated.platform, f.settings, nullptr, WindowMode::Engineering);
    EXPECT_TRUE(window.RdCheckBox.shown);
    ASSERT_EQ(window.ListedDevices(), 1U);
    EXPECT_EQ(window.ChipLabelEdit.text, "KX40712 Series");

    window.RdCheckBox.checked = true;
    window.RdCheckBoxClick();
    EXPECT_TRUE(window.UpdateBtn.shown && window.DeviceList.shown && window.StatusEdit.shown);
    EXPECT_EQ(window.clientHeight, 229 + 129);

    window.UpdateBtn.enabled = true;
    window.UpdateBtnClick();
    EXPECT_EQ(window.StatusEdit.text, "Programming Success!!");
    const auto flash = f.emulated.Device(window.DeviceTable[0].path).chip.Flash().Bytes();
    EXPECT_EQ(flash[0], 0x5A);
    EXPECT_EQ(flash[32767], 0x5A);
}

TEST(EngineeringMode, TheNormalWindowListsOnlyTheCurrentChips) {
    testing::WindowFixture f;
    f.Add(R"({"chip": "kx40712"})");
    TK71xFwTool& window = f.Open();
    EXPECT_FALSE(window.RdCheckBox.shown);
    EXPECT_EQ(window.ListedDevices(), 0U);
}

}  // namespace
}  // namespace kxt::app
