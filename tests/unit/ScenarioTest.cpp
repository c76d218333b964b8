#include "emulator/Scenario.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "emulator/VirtualClock.h"

namespace kxt::emulator {
namespace {

struct ErrorCase {
    const char* name;
    const char* text;
    const char* expectedMessage;  // must appear in the error
};

class ScenarioErrors : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(ScenarioErrors, NameTheFileAndTheFieldAndAddNothing) {
    VirtualClock clock;
    EmulatedBus bus(clock);
    try {
        LoadScenarioText(GetParam().text, "broken.json", ".", bus);
        FAIL() << "accepted a broken scenario";
    } catch (const ScenarioError& error) {
        const std::string message = error.what();
        EXPECT_NE(message.find("broken.json: "), std::string::npos) << message;
        EXPECT_NE(message.find(GetParam().expectedMessage), std::string::npos) << message;
    }
    EXPECT_TRUE(bus.Devices().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ScenarioErrors,
    ::testing::Values(
        ErrorCase{"NotJson", "{devices: }", "not valid JSON"},
        ErrorCase{"NoDevices", "{}", "\"devices\""},
        ErrorCase{"MisspeltKey", R"({"devices": [{"chip": "kxt850", "flsh": {}}]})",
                  "devices[0]: unknown key \"flsh\""},
        ErrorCase{"UnknownChip", R"({"devices": [{"chip": "kxt999"}]})", "unknown chip \"kxt999\""},
        ErrorCase{"NegativeNumber", R"({"devices": [{"flash": {"size": -1}}]})",
                  "devices[0].flash.size: expected a non-negative number"},
        ErrorCase{"BadHexNumber", R"({"devices": [{"flash": {"fill": "0xZZ"}}]})",
                  "devices[0].flash.fill: \"0xZZ\" is not a number"},
        ErrorCase{"ByteTooLarge", R"({"devices": [{"flash": {"fill": 256}}]})", "larger than 255"},
        ErrorCase{"UnknownPart", R"({"devices": [{"flash": {"part": "Acme"}}]})",
                  "unknown flash part \"Acme\""},
        ErrorCase{"RegionPastTheEnd",
                  R"({"devices": [{"flash": {"size": 16, "regions": [{"offset": 15, "hex": "01 02"}]}}]})",
                  "devices[0].flash.regions[0]: runs past the end"},
        ErrorCase{"UnknownFaultCommand",
                  R"({"devices": [{"faults": [{"command": "WriteEverything"}]}]})",
                  "devices[0].faults[0].command: unknown command \"WriteEverything\""},
        ErrorCase{"DuplicateId", R"({"devices": [{"id": "a"}, {"id": "a"}]})", "used twice"},
        ErrorCase{"UpperCaseId", R"({"devices": [{"id": "Disk"}]})", "lower-case"},
        ErrorCase{"LaterDeviceBroken", R"({"devices": [{"id": "ok"}, {"interface": "tape"}]})",
                  "devices[1].interface"},
        ErrorCase{"MissingFlashFile",
                  R"({"devices": [{"flash": {"regions": [{"file": "no-such-file.bin"}]}}]})",
                  "cannot read"}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(Scenario, AMissingFileIsNamed) {
    VirtualClock clock;
    EmulatedBus bus(clock);
    EXPECT_THROW(LoadScenarioFile("/nonexistent/scenario.json", bus), ScenarioError);
}

TEST(Scenario, FlashRegionsAreLaidOutInOrderWithFilesRelativeToTheScenario) {
    const auto directory = std::filesystem::temp_directory_path() / "kxtfw-scenario-test";
    std::filesystem::create_directories(directory);
    {
        std::ofstream(directory / "code.bin", std::ios::binary) << "CODE";
        std::ofstream(directory / "s.json") << R"({"devices": [{"id": "d", "flash": {
            "size": 16, "fill": 0,
            "regions": [{"offset": 2, "file": "code.bin"}, {"offset": "0x8", "fill": 255, "length": 2},
                        {"offset": 12, "text": "KX"}, {"offset": 3, "hex": "AA"}]}}]})";
    }
    VirtualClock clock;
    EmulatedBus bus(clock);
    LoadScenarioFile(directory / "s.json", bus);
    const auto flash = bus.Find("emu:d")->chip.Flash().Bytes();
    const std::vector<std::uint8_t> expected{0, 0, 'C', 0xAA, 'D', 'E', 0, 0,
                                             0xFF, 0xFF, 0, 0, 'K', 'X', 0, 0};
    EXPECT_EQ(std::vector<std::uint8_t>(flash.begin(), flash.end()), expected);
    std::filesystem::remove_all(directory);
}

TEST(Scenario, DefaultIdsStayUniqueAcrossScenariosOnOneBus) {
    VirtualClock clock;
    EmulatedBus bus(clock);
    LoadScenarioText(R"({"devices": [{}]})", "first", ".", bus);
    LoadScenarioText(R"({"devices": [{}]})", "second", ".", bus);
    ASSERT_EQ(bus.Devices().size(), 2U);
    EXPECT_NE(bus.Devices()[0]->path, bus.Devices()[1]->path);
    EXPECT_THROW(LoadScenarioText(R"({"devices": [{"id": "dev0"}]})", "third", ".", bus),
                 ScenarioError);
}

TEST(Scenario, TheShippedExampleLoads) {
    VirtualClock clock;
    EmulatedBus bus(clock);
    LoadScenarioFile(std::filesystem::path(KXT_SOURCE_DIR) / "examples/kxt850.json", bus);
    ASSERT_EQ(bus.Devices().size(), 1U);
    const auto flash = bus.Devices()[0]->chip.Flash().Bytes();
    EXPECT_EQ(flash[0xC0FE], 'K');
    EXPECT_EQ(flash[0xC0FF], 'X');
    EXPECT_EQ(flash[0xC100], 0xFF);
}

}  // namespace
}  // namespace kxt::emulator
