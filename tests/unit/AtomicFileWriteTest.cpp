#include "app/AtomicFileWrite.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/OlderPathFixture.h"

namespace kxt::app {
namespace {

using testing::PatternImage;
using testing::ReadWholeFile;
using testing::ScratchDirectory;

TEST(WriteFileAtomically, ReplacesALongerFileByExactlyTheNewBytesAndLeavesNothingElse) {
    ScratchDirectory scratch;
    const auto target = scratch.Path() / "backup.bin";
    ASSERT_TRUE(WriteFileAtomically(target, PatternImage(100000, 1)));
    const auto bytes = PatternImage(65536, 2);
    ASSERT_TRUE(WriteFileAtomically(target, bytes));
    EXPECT_EQ(ReadWholeFile(target), bytes);
    EXPECT_EQ(scratch.Entries(), std::vector<std::filesystem::path>{target});
}

struct UnwritableCase {
    const char* name;
    std::filesystem::path (*target)(const std::filesystem::path& scratch);
};

class WriteFileAtomicallyFailure : public ::testing::TestWithParam<UnwritableCase> {};

TEST_P(WriteFileAtomicallyFailure, ReportsItAndLeavesTheDirectoryAsItWas) {
    ScratchDirectory scratch;
    std::filesystem::create_directory(scratch.Path() / "folder");
    std::ofstream(scratch.Path() / "kept.bin") << "old";
    const auto before = scratch.Entries();

    EXPECT_FALSE(WriteFileAtomically(GetParam().target(scratch.Path()), PatternImage(4096)));

    auto after = scratch.Entries();
    std::sort(after.begin(), after.end());
    auto expected = before;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(after, expected);
    EXPECT_TRUE(std::filesystem::is_empty(scratch.Path() / "folder"));
    EXPECT_EQ(ReadWholeFile(scratch.Path() / "kept.bin"),
              (std::vector<std::uint8_t>{'o', 'l', 'd'}));
}

INSTANTIATE_TEST_SUITE_P(
    Targets, WriteFileAtomicallyFailure,
    ::testing::Values(UnwritableCase{"FolderMissing",
                                     [](const std::filesystem::path& scratch) {
                                         return scratch / "missing" / "backup.bin";
                                     }},
                      UnwritableCase{
                          "NameOfAFolder",
                          [](const std::filesystem::path& scratch) { return scratch / "folder"; }},
                      UnwritableCase{"InsideProc",
                                     [](const std::filesystem::path&) {
                                         return std::filesystem::path(
                                             "/proc/kxtfw-no-such-folder/backup.bin");
                                     }}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(WriteFileAtomically, RefusesANameThatIsNotAFile) {
    const auto directory = std::filesystem::temp_directory_path() / "kxtfw-atomic-link-test";
    std::filesystem::remove_all(directory);
    std::filesystem::create_directories(directory);
    { std::ofstream(directory / "real.bin") << "keep"; }
    std::filesystem::create_symlink(directory / "real.bin", directory / "link.bin");
    const std::vector<std::uint8_t> bytes{1, 2, 3};

    EXPECT_FALSE(WriteFileAtomically(directory / "link.bin", bytes));
    EXPECT_FALSE(WriteFileAtomically(directory, bytes));

    EXPECT_TRUE(std::filesystem::is_symlink(directory / "link.bin"));
    std::ifstream kept(directory / "real.bin");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "keep");
    std::filesystem::remove_all(directory);
}

TEST(UnusedFileName, CountsUpPastNamesThatAreTaken) {
    ScratchDirectory scratch;
    EXPECT_EQ(UnusedFileName(scratch.Path(), "nvram", ".bak"), scratch.Path() / "nvram.bak");
    std::ofstream(scratch.Path() / "nvram.bak") << "1";
    std::ofstream(scratch.Path() / "nvram-1.bak") << "2";
    EXPECT_EQ(UnusedFileName(scratch.Path(), "nvram", ".bak"), scratch.Path() / "nvram-2.bak");
}

}  // namespace
}  // namespace kxt::app
