#include "os/linux/AtomicFile.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <vector>

namespace kxt::os::linux_impl {
namespace {

namespace fs = std::filesystem;

class AtomicFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "kxt-atomic-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        directory = pattern;
    }
    void TearDown() override { fs::remove_all(directory); }

    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(directory)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    static std::vector<std::uint8_t> Contents(const fs::path& file) {
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    fs::path directory;
    const std::vector<std::uint8_t> bytes{0x00, 0xFF, 0x55, 0xAA, 0x0D, 0x0A};
};

TEST_F(AtomicFileTest, WritesTheBytesAndLeavesNothingElse) {
    std::string error;

    ASSERT_TRUE(WriteFileAtomically(directory / "flash.bin", bytes, error)) << error;

    EXPECT_EQ(Contents(directory / "flash.bin"), bytes);
    EXPECT_EQ(Entries(), std::vector<std::string>{"flash.bin"});
}

TEST_F(AtomicFileTest, ReplacesAnOlderFile) {
    std::ofstream(directory / "flash.bin") << "older and longer content";
    std::string error;

    ASSERT_TRUE(WriteFileAtomically(directory / "flash.bin", bytes, error)) << error;

    EXPECT_EQ(Contents(directory / "flash.bin"), bytes);
    EXPECT_EQ(Entries(), std::vector<std::string>{"flash.bin"});
}

TEST_F(AtomicFileTest, MissingDirectoryFailsWithAReason) {
    std::string error;

    EXPECT_FALSE(WriteFileAtomically(directory / "absent" / "flash.bin", bytes, error));

    EXPECT_NE(error.find("No such file or directory"), std::string::npos) << error;
    EXPECT_TRUE(Entries().empty());
}

TEST_F(AtomicFileTest, FailedRenameLeavesNoPartialFile) {
    fs::create_directory(directory / "taken");
    std::ofstream(directory / "taken" / "inside") << "x";
    std::string error;

    // A non-empty directory cannot be replaced by a file.
    EXPECT_FALSE(WriteFileAtomically(directory / "taken", bytes, error));

    EXPECT_FALSE(error.empty());
    EXPECT_EQ(Entries(), std::vector<std::string>{"taken"});
    EXPECT_TRUE(fs::is_directory(directory / "taken"));
}

}  // namespace
}  // namespace kxt::os::linux_impl
