#pragma once

#include <umockdev.h>

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "emulator/BridgeChip.h"

namespace kxt::testing {

// One storage device in a fake sysfs: its SCSI device with the block node and,
// when `sg` is set, the sg node, hung below a USB interface bound to
// `usbDriver` or, when that is empty, below a SATA controller.
struct MockStorage {
    std::string usbDriver;  // "usb-storage", "uas" or "" for SATA
    int host = 0;           // SCSI host number, also the USB port
    int scsiType = 0;       // 0 disk, 5 CD-ROM
    std::string block;      // "sdb", "sr0"
    int blockMinor = 0;
    std::optional<int> sg;        // N of /dev/sgN
    std::vector<int> partitions;  // partition numbers of the block device
};

// The SG_IO ioctl of one mocked node, answered by an emulated bridge chip. The
// handler runs on umockdev's worker thread.
class EmulatedSgNode {
  public:
    explicit EmulatedSgNode(emulator::BridgeChip& chip);
    ~EmulatedSgNode();
    EmulatedSgNode(const EmulatedSgNode&) = delete;
    EmulatedSgNode& operator=(const EmulatedSgNode&) = delete;

    UMockdevIoctlBase* Handler() const { return handler_; }
    // The commands that reached this node, by name.
    std::vector<std::string> Commands() const;

  private:
    static gboolean HandleIoctl(UMockdevIoctlBase* handler, UMockdevIoctlClient* client,
                                gpointer self);
    bool Answer(UMockdevIoctlClient* client);

    emulator::BridgeChip& chip_;
    UMockdevIoctlBase* handler_;
    mutable std::mutex mutex_;
    std::vector<std::string> commands_;
};

// A umockdev testbed: /sys and /dev as the test builds them. Needs the umockdev
// preload library in the process. Every fd to a mocked node must be closed before
// the testbed goes away.
class MockSysfs {
  public:
    MockSysfs();
    ~MockSysfs();
    MockSysfs(const MockSysfs&) = delete;
    MockSysfs& operator=(const MockSysfs&) = delete;

    void Add(const MockStorage& storage);
    void AddVirtioDisk(const std::string& block, int minor);
    // Answers the SG_IO ioctl of /dev/<node> with `responder`, which must outlive
    // the testbed.
    void Attach(const std::string& node, EmulatedSgNode& responder);

  private:
    void AddRecord(const std::string& record);

    UMockdevTestbed* testbed_;
    std::vector<std::string> attached_;
};

// True when the umockdev preload library is in the process.
bool PreloadActive();

}  // namespace kxt::testing
