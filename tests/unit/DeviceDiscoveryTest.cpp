#include "device/DeviceDiscovery.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/TestPlatform.h"

namespace kxt::device {
namespace {

using ::testing::ElementsAre;

// A listing that reports whatever the test puts in, to reach counts and path
// lengths no emulated bus would produce.
class FixedListing final : public os::InterfaceListing {
  public:
    std::vector<os::DevicePath> List(os::InterfaceKind kind) override {
        return kind == os::InterfaceKind::Disk ? disks : cdroms;
    }
    std::vector<os::DevicePath> disks;
    std::vector<os::DevicePath> cdroms;
};

std::vector<os::DevicePath> Numbered(const std::string& prefix, int count) {
    std::vector<os::DevicePath> paths;
    for (int i = 0; i < count; ++i) paths.push_back(prefix + std::to_string(i));
    return paths;
}

class DiscoveryTest : public ::testing::Test {
  protected:
    // The table as a scan would use it: disks first, CD-ROMs at the disk count.
    std::size_t Scan() {
        const std::size_t disks = EnumDiskInterfaces(platform, table);
        return disks + EnumCdromInterfaces(platform, table, disks);
    }
    std::vector<os::DevicePath> Listed(std::size_t count) const {
        return {table.paths.begin(), table.paths.begin() + static_cast<std::ptrdiff_t>(count)};
    }

    testing::EmulatedPlatform emu;
    FixedListing listing;
    os::Platform platform{emu.bus, emu.clock, emu.firmware, emu.ui, listing};
    DevicePathTable table;
};

TEST_F(DiscoveryTest, EmulatedBusListsDisksBeforeCdromsWhateverTheirOrder) {
    emu.AddDevice(R"({"id": "cd1", "chip": "kxt850", "interface": "cdrom"})");
    emu.AddDevice(R"({"id": "disk1", "chip": "kxt861"})");
    emu.AddDevice(R"({"id": "cd2", "chip": "foreign", "interface": "cdrom"})");
    emu.AddDevice(R"({"id": "disk2", "chip": "foreign"})");

    const std::size_t disks = EnumDiskInterfaces(emu.platform, table);
    const std::size_t cdroms = EnumCdromInterfaces(emu.platform, table, disks);

    EXPECT_EQ(disks, 2U);
    EXPECT_EQ(cdroms, 2U);
    EXPECT_THAT(Listed(4), ElementsAre("emu:disk1", "emu:disk2", "emu:cd1", "emu:cd2"));
    EXPECT_EQ(table.leftOut, 0U);
    // Discovery sends nothing to the devices.
    EXPECT_TRUE(emu.bus.Log().empty());
}

TEST_F(DiscoveryTest, CdromGoesAtTheStartPositionAndLeavesTheRestAlone) {
    listing.cdroms = {"/dev/sr0"};
    table.paths.fill("untouched");

    EXPECT_EQ(EnumCdromInterfaces(platform, table, 3), 1U);

    EXPECT_THAT(Listed(5),
                ElementsAre("untouched", "untouched", "untouched", "/dev/sr0", "untouched"));
}

TEST_F(DiscoveryTest, NothingAttachedWritesNothing) {
    table.paths.fill("untouched");

    EXPECT_EQ(Scan(), 0U);

    for (const auto& path : table.paths) EXPECT_EQ(path, "untouched");
    EXPECT_EQ(table.leftOut, 0U);
}

TEST_F(DiscoveryTest, SixteenEntriesAtMostAndTheRestCounted) {
    listing.disks = Numbered("/dev/sd", 14);
    listing.cdroms = Numbered("/dev/sr", 5);

    EXPECT_EQ(Scan(), 16U);

    EXPECT_EQ(table.paths[13], "/dev/sd13");
    EXPECT_EQ(table.paths[14], "/dev/sr0");
    EXPECT_EQ(table.paths[15], "/dev/sr1");
    EXPECT_EQ(table.leftOut, 3U);
}

TEST_F(DiscoveryTest, DisksFillingTheTableLeaveEveryCdromOut) {
    listing.disks = Numbered("/dev/sd", 20);
    listing.cdroms = Numbered("/dev/sr", 2);

    const std::size_t disks = EnumDiskInterfaces(platform, table);
    EXPECT_EQ(disks, 16U);
    EXPECT_EQ(EnumCdromInterfaces(platform, table, disks), 0U);
    // A start beyond the table is as full as one at its end.
    EXPECT_EQ(EnumCdromInterfaces(platform, table, 40), 0U);

    EXPECT_EQ(table.paths[15], "/dev/sd15");
    EXPECT_EQ(table.leftOut, 4U + 2U + 2U);
}

TEST_F(DiscoveryTest, OverlongPathIsLeftOutAndTheNextTakesItsPlace) {
    const std::string longest = "/dev/" + std::string(250, 'x');  // 255 characters
    const std::string tooLong = longest + "y";                    // 256
    listing.disks = {"/dev/sg1", tooLong, longest, "/dev/sg2"};

    EXPECT_EQ(EnumDiskInterfaces(platform, table), 3U);

    EXPECT_THAT(Listed(3), ElementsAre("/dev/sg1", longest, "/dev/sg2"));
    EXPECT_EQ(table.leftOut, 1U);
}

}  // namespace
}  // namespace kxt::device
