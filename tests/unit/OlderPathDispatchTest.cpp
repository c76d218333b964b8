#include <gtest/gtest.h>

#include "tests/support/HardwareLookingBus.h"
#include "tests/support/WindowFixture.h"

namespace kxt::app {
namespace {

using device::ChipClass;
using testing::WindowFixture;

// A listed KXT850 carries the path; the chip identity under test is set as the
// readiness check would have recorded it.
TK71xFwTool& OpenWithClass(WindowFixture& f, ChipClass chipClass) {
    f.Add(R"({"chip": "kxt850", "flash": {"fill": 0}})");
    TK71xFwTool& window = f.Open();
    window.ChipId = device::MakeChipIdentity(chipClass, 1);
    f.emulated.bus.ClearLog();
    return window;
}

struct DispatchCase {
    const char* name;
    ChipClass chipClass;
    const char* status;           // the path's own first word
    std::size_t identifications;  // only the NVRAM path identifies the chip again
};

class RunButton : public ::testing::TestWithParam<DispatchCase> {};

TEST_P(RunButton, StartsThePathOfTheChipClass) {
    WindowFixture f;
    TK71xFwTool& window = OpenWithClass(f, GetParam().chipClass);
    window.UpdateBtn.enabled = true;
    window.UpdateBtnClick();
    EXPECT_EQ(window.StatusEdit.text, GetParam().status);
    EXPECT_EQ(f.Count("Inquiry"), GetParam().identifications);
    EXPECT_EQ(f.FlashChanges(), 0U) << "no FW image is carried, so nothing is written";
    EXPECT_TRUE(window.UpdateBtn.enabled);
}

INSTANTIATE_TEST_SUITE_P(
    Classes, RunButton,
    ::testing::Values(DispatchCase{"ExternalFlash", ChipClass::ChipKX40712, "Load defaut Fw file Error!!", 0},
                      DispatchCase{"ExternalFlashKX40719", ChipClass::ChipKX40719, "Load defaut Fw file Error!!", 0},
                      DispatchCase{"NvramFamily", ChipClass::ChipKXR741, "", 1},
                      DispatchCase{"InternalRom", ChipClass::ChipKX40714Usb, "Load defaut Fw file Error!!", 0},
                      DispatchCase{"NotAnOlderChip", ChipClass::ChipKXT861, "", 0}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(UpdateRun, SendsTheExternalFlashChipsToTheirPath) {
    WindowFixture f;
    TK71xFwTool& window = OpenWithClass(f, ChipClass::ChipKXR743);
    window.EraseButtonClick();
    EXPECT_EQ(window.StatusEdit.text, "Load defaut Fw file Error!!");
    EXPECT_EQ(window.devLable.text, "                     Update    fail!!");
    EXPECT_EQ(f.FlashChanges(), 0U);
}

TEST(StandInBuild, RefusesToUpdateRealHardwareWithAClearMessage) {
    testing::WindowFixture f;
    f.emulated.firmware.standIn = true;
    f.Add(R"({"chip": "kxt850", "flash": {"fill": 0}})");
    testing::HardwareLookingBus hardware(f.emulated.bus);
    const os::Platform platform{hardware, f.emulated.clock, f.emulated.firmware, f.emulated.ui,
                                f.emulated.bus};
    TK71xFwTool window(platform, f.settings);
    ASSERT_TRUE(window.EraseButton.shown);

    window.EraseButtonClick();

    EXPECT_EQ(window.devLable.text, "                     Update    fail!!");
    ASSERT_EQ(f.emulated.ui.messages.size(), 1U);
    EXPECT_EQ(f.emulated.ui.messages[0].caption, "Error");
    EXPECT_EQ(f.emulated.ui.messages[0].icon, os::MessageIcon::Error);
    EXPECT_NE(f.emulated.ui.messages[0].text.find("stand-in"), std::string::npos)
        << f.emulated.ui.messages[0].text;
    EXPECT_EQ(f.FlashChanges(), 0U);
}

}  // namespace
}  // namespace kxt::app
