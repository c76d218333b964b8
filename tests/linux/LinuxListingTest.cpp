#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "device/ChipIdentification.h"
#include "device/DeviceDiscovery.h"
#include "emulator/EmulatedBus.h"
#include "emulator/Scenario.h"
#include "os/linux/LinuxInterfaceListing.h"
#include "os/linux/LinuxScsiPassThrough.h"
#include "tests/linux/MockSysfs.h"
#include "tests/support/TestPlatform.h"

namespace kxt::os::linux_impl {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// The bridges behind the mocked nodes, from the emulator's presets.
constexpr const char* kScenario = R"({"devices": [
    {"id": "usb-sg", "chip": "kxt850"},
    {"id": "usb-plain", "legacyChipId": "00 00", "identity": {"model": "850", "revision": "2"}},
    {"id": "uas", "chip": "foreign"},
    {"id": "cdrom", "chip": "kx40712", "interface": "cdrom"},
    {"id": "sata", "chip": "foreign"}
]})";

// A fake machine: a USB disk with an sg node (sdb, sg1, with a partition), a USB
// disk without one (sdc), a UAS disk (sdaa), a USB CD-ROM (sr0, sg2), a SATA disk
// (sda, sg0) and a virtio disk (vda). Their sysfs paths (USB ports) are not in
// the order of their names.
class LinuxListingTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!testing::PreloadActive()) {
            GTEST_SKIP() << "needs LD_PRELOAD=libumockdev-preload.so.0 (run it through ctest)";
        }
        emulator::LoadScenarioText(kScenario, "listing scenario", ".", bus_);
        sysfs_ = std::make_unique<testing::MockSysfs>();
        sysfs_->Add({.usbDriver = "uas", .host = 2, .block = "sdaa", .blockMinor = 416});
        sysfs_->Add({.usbDriver = "", .host = 0, .block = "sda", .blockMinor = 0, .sg = 0});
        sysfs_->Add(
            {.usbDriver = "usb-storage", .host = 5, .scsiType = 5, .block = "sr0", .sg = 2});
        sysfs_->Add({.usbDriver = "usb-storage", .host = 4, .block = "sdc", .blockMinor = 32});
        sysfs_->Add({.usbDriver = "usb-storage",
                     .host = 6,
                     .block = "sdb",
                     .blockMinor = 16,
                     .sg = 1,
                     .partitions = {1, 2}});
        sysfs_->AddVirtioDisk("vda", 0);
        Answer("sg1", "usb-sg");
        Answer("sdb", "usb-sg");
        Answer("sdc", "usb-plain");
        Answer("sdaa", "uas");
        Answer("sg2", "cdrom");
        Answer("sr0", "cdrom");
        Answer("sg0", "sata");
        Answer("sda", "sata");
    }

    void TearDown() override {
        // Every request opened and closed its node; the testbed can go.
        sysfs_.reset();
    }

    void Answer(const std::string& node, const std::string& id) {
        auto& responder = nodes_[node];
        responder = std::make_unique<testing::EmulatedSgNode>(bus_.Find("emu:" + id)->chip);
        sysfs_->Attach(node, *responder);
    }
    std::vector<std::string> CommandsAt(const std::string& node) const {
        return nodes_.at(node)->Commands();
    }

    emulator::VirtualClock clock_;
    emulator::EmulatedBus bus_{clock_};
    std::map<std::string, std::unique_ptr<testing::EmulatedSgNode>> nodes_;
    std::unique_ptr<testing::MockSysfs> sysfs_;

    LinuxInterfaceListing listing_;
    LinuxScsiPassThrough scsi_;
    testing::InMemoryFirmware firmware_;
    testing::RecordingUi ui_;
    os::Platform platform_{scsi_, clock_, firmware_, ui_, listing_};
};

TEST_F(LinuxListingTest, ListsUsbDisksInKernelNameOrderByTheNodeToOpen) {
    EXPECT_THAT(listing_.List(InterfaceKind::Disk),
                ElementsAre("/dev/sg1", "/dev/sdc", "/dev/sdaa"));
}

TEST_F(LinuxListingTest, ListsUsbCdromsByTheirSgNode) {
    EXPECT_THAT(listing_.List(InterfaceKind::Cdrom), ElementsAre("/dev/sg2"));
}

TEST_F(LinuxListingTest, DiscoveryPutsTheCdromAfterTheDisks) {
    device::DevicePathTable table;
    const std::size_t disks = device::EnumDiskInterfaces(platform_, table);
    const std::size_t cdroms = device::EnumCdromInterfaces(platform_, table, disks);

    ASSERT_EQ(disks, 3U);
    ASSERT_EQ(cdroms, 1U);
    EXPECT_EQ(table.paths[3], "/dev/sg2");
    EXPECT_EQ(table.leftOut, 0U);
}

TEST_F(LinuxListingTest, IdentifiesEachListedDeviceThroughSgIo) {
    std::vector<device::ChipIdentity> identities;
    for (const auto kind : {InterfaceKind::Disk, InterfaceKind::Cdrom}) {
        for (const DevicePath& path : listing_.List(kind)) {
            identities.push_back(device::IdentifyChip(platform_, path));
        }
    }

    // sg1: KXT850 by its INQUIRY code; sdc: KXT850 revision 2 by its identity
    // record; sdaa: a foreign disk; sg2: KX40712 revision 2 by chip information.
    EXPECT_THAT(identities, ElementsAre(13, 13 + 2 * 256, 0, 1 + 2 * 256));
    EXPECT_THAT(CommandsAt("sg1"), ElementsAre("Inquiry"));
    EXPECT_THAT(CommandsAt("sdc"),
                ElementsAre("Inquiry", "ReadLegacyChipId", "ReadFirmwareIdentity"));
    EXPECT_THAT(CommandsAt("sdaa"), ElementsAre("Inquiry", "ReadLegacyChipId", "ReadChipInfo"));
    EXPECT_THAT(CommandsAt("sg2"), ElementsAre("Inquiry", "ReadChipInfo"));
    // The block nodes behind sg nodes, and the SATA disk, are never opened.
    EXPECT_THAT(CommandsAt("sdb"), IsEmpty());
    EXPECT_THAT(CommandsAt("sr0"), IsEmpty());
    EXPECT_THAT(CommandsAt("sda"), IsEmpty());
    EXPECT_THAT(CommandsAt("sg0"), IsEmpty());
    EXPECT_THAT(scsi_.PermissionDenials(), IsEmpty());
}

}  // namespace
}  // namespace kxt::os::linux_impl
