// The build steps behind the embedded firmware: the stand-in generator and the
// check that keeps a broken KXT850 image out of the program.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace kxt {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

const fs::path kCommittedStandIn =
    fs::path(KXT_SOURCE_DIR) / "resources" / "firmware" / "KXT850" / "FW6701.bin";

Bytes ReadFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFile(const fs::path& file, const Bytes& bytes) {
    fs::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

struct ToolRun {
    int status;
    std::string output;
};

ToolRun RunTool(const std::string& arguments, const fs::path& directory) {
    const fs::path log = directory / "tool.log";
    const std::string command = arguments + " >'" + log.string() + "' 2>&1";
    const int status = std::system(command.c_str());
    const Bytes output = ReadFile(log);
    return {status, std::string(output.begin(), output.end())};
}

class FirmwareTools : public ::testing::Test {
  protected:
    void SetUp() override {
        directory_ = fs::temp_directory_path() /
                     ("kxt-firmware-tools-" +
                      std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(directory_);
        fs::create_directories(directory_);
    }
    void TearDown() override { fs::remove_all(directory_); }

    fs::path directory_;
};

TEST_F(FirmwareTools, CommittedStandInIsWhatTheGeneratorMakes) {
    const fs::path made = directory_ / "FW6701.bin";
    const ToolRun run =
        RunTool(std::string("'") + KXT_STANDIN_TOOL + "' '" + made.string() + "'", directory_);
    ASSERT_EQ(run.status, 0) << run.output;
    const Bytes generated = ReadFile(made);
    EXPECT_EQ(generated.size(), 49408U);
    EXPECT_TRUE(generated == ReadFile(kCommittedStandIn))
        << "regenerate resources/firmware/KXT850/FW6701.bin with kxt_make_standin";
}

struct BrokenImageCase {
    const char* name;
    const char* type;
    std::function<void(Bytes&)> damage;
    const char* problem;  // expected in the message; empty when the image must pass
    const char* fileName = "FW6701.bin";
};

class EmbeddingCheck : public FirmwareTools,
                       public ::testing::WithParamInterface<BrokenImageCase> {};

TEST_P(EmbeddingCheck, FailsTheBuildNamingFileAndProblem) {
    const BrokenImageCase& c = GetParam();
    Bytes image = ReadFile(kCommittedStandIn);
    ASSERT_EQ(image.size(), 49408U);
    c.damage(image);
    const fs::path file = directory_ / "images" / c.type / c.fileName;
    WriteFile(file, image);
    const fs::path output = directory_ / "EmbeddedImages.cpp";

    const ToolRun run = RunTool(std::string("'") + KXT_EMBED_TOOL + "' '" + output.string() +
                                    "' --stand-in '" + file.string() + "'",
                                directory_);

    if (*c.problem == '\0') {
        EXPECT_EQ(run.status, 0) << run.output;
        EXPECT_TRUE(fs::exists(output));
        return;
    }
    EXPECT_NE(run.status, 0);
    EXPECT_NE(run.output.find(file.string()), std::string::npos) << run.output;
    EXPECT_NE(run.output.find(c.problem), std::string::npos) << run.output;
    EXPECT_FALSE(fs::exists(output)) << "nothing may be embedded from a broken image";
}

INSTANTIATE_TEST_SUITE_P(
    Images, EmbeddingCheck,
    ::testing::Values(
        BrokenImageCase{"SoundImage", "KXT850", [](Bytes&) {}, ""},
        BrokenImageCase{"OneCodeBitFlipped", "KXT850", [](Bytes& b) { b[0x1234] ^= 0x10; },
                        "stored checksum 0x9B65 differs from computed"},
        BrokenImageCase{"ChecksumByteChanged", "KXT850", [](Bytes& b) { b[0xBFFF] = 0x66; },
                        "stored checksum 0x9B66 differs from computed 0x9B65"},
        BrokenImageCase{"NoMarker", "KXT850", [](Bytes& b) { b[0xBFF3] = 0x00; },
                        "marker 55 AA AA 55 missing at 0xBFF0"},
        BrokenImageCase{"NoSignature", "KXT850", [](Bytes& b) { b[0xC0FF] = 'Y'; },
                        "does not end in \"KX\""},
        BrokenImageCase{"TooShort", "KXT850", [](Bytes& b) { b.pop_back(); },
                        "size 49407 bytes is below 49408"},
        BrokenImageCase{"TooLong", "KXT850", [](Bytes& b) { b.resize(65537, 0); },
                        "size 65537 bytes exceeds the 65536-byte flash"},
        BrokenImageCase{"LargestAllowed", "KXT850", [](Bytes& b) { b.resize(65536, 0); }, ""},
        BrokenImageCase{"UnknownType", "KXT999", [](Bytes&) {}, "unknown image type \"KXT999\""},
        BrokenImageCase{"EmptyImage", "FW", [](Bytes& b) { b.clear(); }, "is empty"},
        // The name becomes a C++ string literal in the generated source.
        BrokenImageCase{"QuoteInName", "FW", [](Bytes&) {}, "image names use", "FW\"1.bin"},
        // Only KXT850 images have a layout to check.
        BrokenImageCase{"OtherTypesUnchecked", "KXT861", [](Bytes& b) { b.resize(100); }, ""}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

}  // namespace
}  // namespace kxt
