#include "tests/linux/MockSysfs.h"

#include <scsi/sg.h>

#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string_view>

namespace kxt::testing {
namespace {

constexpr int kScsiDiskMajor = 8;
constexpr int kScsiCdromMajor = 11;
constexpr int kScsiGenericMajor = 21;
constexpr int kVirtioMajor = 254;

// One device in umockdev's record format: path, properties, attributes, links
// and the /dev node.
class Record {
  public:
    explicit Record(const std::string& path) { text_ = "P: " + path + "\n"; }
    Record& Property(const std::string& name, const std::string& value) {
        text_ += "E: " + name + "=" + value + "\n";
        return *this;
    }
    Record& Attribute(const std::string& name, const std::string& value) {
        text_ += "A: " + name + "=" + value + "\n";
        return *this;
    }
    Record& Link(const std::string& name, const std::string& target) {
        text_ += "L: " + name + "=" + target + "\n";
        return *this;
    }
    // A /dev node with its numbers, as the kernel's uevent and `dev` give them.
    Record& Node(const std::string& name, int major, int minor) {
        const std::string numbers = std::to_string(major) + ":" + std::to_string(minor);
        Property("DEVNAME", "/dev/" + name);
        Property("MAJOR", std::to_string(major));
        Property("MINOR", std::to_string(minor));
        Attribute("dev", numbers);
        text_ += "N: " + name + "=00\n";
        return *this;
    }
    Record& Driver(const std::string& subsystemBus, const std::string& driver) {
        Property("DRIVER", driver);
        return Link("driver", "../../../../../../bus/" + subsystemBus + "/drivers/" + driver);
    }
    const std::string& Text() const { return text_; }

  private:
    std::string text_;
};

void AddScsiDevice(std::vector<std::string>& records, const std::string& hostPath,
                   const MockStorage& storage) {
    const std::string host = std::to_string(storage.host);
    const std::string target = hostPath + "/target" + host + ":0:0";
    const std::string device = target + "/" + host + ":0:0:0";
    const bool cdrom = storage.scsiType == 5;
    records.push_back(
        Record(hostPath).Property("SUBSYSTEM", "scsi").Property("DEVTYPE", "scsi_host").Text());
    records.push_back(
        Record(target).Property("SUBSYSTEM", "scsi").Property("DEVTYPE", "scsi_target").Text());
    records.push_back(Record(device)
                          .Property("SUBSYSTEM", "scsi")
                          .Property("DEVTYPE", "scsi_device")
                          .Driver("scsi", cdrom ? "sr" : "sd")
                          .Attribute("type", std::to_string(storage.scsiType))
                          .Text());
    const std::string block = device + "/block/" + storage.block;
    records.push_back(
        Record(block)
            .Property("SUBSYSTEM", "block")
            .Property("DEVTYPE", "disk")
            .Node(storage.block, cdrom ? kScsiCdromMajor : kScsiDiskMajor, storage.blockMinor)
            .Link("device", "../../../" + host + ":0:0:0")
            .Text());
    for (int partition : storage.partitions) {
        const std::string name = storage.block + std::to_string(partition);
        records.push_back(Record(block + "/" + name)
                              .Property("SUBSYSTEM", "block")
                              .Property("DEVTYPE", "partition")
                              .Node(name, kScsiDiskMajor, storage.blockMinor + partition)
                              .Attribute("partition", std::to_string(partition))
                              .Text());
    }
    if (storage.sg) {
        const std::string name = "sg" + std::to_string(*storage.sg);
        records.push_back(Record(device + "/scsi_generic/" + name)
                              .Property("SUBSYSTEM", "scsi_generic")
                              .Node(name, kScsiGenericMajor, *storage.sg)
                              .Link("device", "../../../" + host + ":0:0:0")
                              .Text());
    }
}

struct Resolved {
    UMockdevIoctlData* data = nullptr;
    ~Resolved() {
        if (data != nullptr)
            g_object_unref(data);
    }
};

}  // namespace

bool PreloadActive() {
    const char* preload = std::getenv("LD_PRELOAD");
    return preload != nullptr &&
           std::string_view(preload).find("libumockdev-preload") != std::string_view::npos;
}

EmulatedSgNode::EmulatedSgNode(emulator::BridgeChip& chip)
    : chip_(chip), handler_(umockdev_ioctl_base_new()) {
    g_signal_connect(handler_, "handle-ioctl", G_CALLBACK(&EmulatedSgNode::HandleIoctl), this);
}

EmulatedSgNode::~EmulatedSgNode() {
    g_object_unref(handler_);
}

std::vector<std::string> EmulatedSgNode::Commands() const {
    std::lock_guard lock(mutex_);
    return commands_;
}

gboolean EmulatedSgNode::HandleIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client,
                                     gpointer self) {
    if (umockdev_ioctl_client_get_request(client) != SG_IO) {
        return FALSE;
    }
    return static_cast<EmulatedSgNode*>(self)->Answer(client) ? TRUE : FALSE;
}

bool EmulatedSgNode::Answer(UMockdevIoctlClient* client) {
    UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
    Resolved header{umockdev_ioctl_data_resolve(arg, 0, sizeof(sg_io_hdr_t), nullptr)};
    if (header.data == nullptr) {
        return false;
    }
    sg_io_hdr_t request;
    std::memcpy(&request, header.data->data, sizeof request);
    Resolved cdb{umockdev_ioctl_data_resolve(header.data, offsetof(sg_io_hdr_t, cmdp),
                                             request.cmd_len, nullptr)};
    Resolved data;
    if (request.dxfer_len > 0) {
        data.data = umockdev_ioctl_data_resolve(header.data, offsetof(sg_io_hdr_t, dxferp),
                                                request.dxfer_len, nullptr);
    }
    if (cdb.data == nullptr || (request.dxfer_len > 0 && data.data == nullptr)) {
        return false;
    }

    const std::span<std::uint8_t> buffer =
        data.data == nullptr ? std::span<std::uint8_t>{}
                             : std::span<std::uint8_t>(data.data->data, request.dxfer_len);
    os::ScsiCommand command;
    command.cdb = std::span<const std::uint8_t>(cdb.data->data, request.cmd_len);
    command.direction =
        request.dxfer_direction == SG_DXFER_TO_DEV ? os::DataDirection::Out : os::DataDirection::In;
    if (command.direction == os::DataDirection::In) {
        command.dataIn = buffer;
    } else {
        command.dataOut = buffer;
    }
    command.timeoutSeconds = request.timeout / 1000U;

    emulator::ChipReply reply;
    {
        std::lock_guard lock(mutex_);
        const emulator::ChipCommand decoded = emulator::DecodeCommand(command.cdb);
        commands_.emplace_back(emulator::CommandName(decoded));
        reply = chip_.Execute(decoded, command);
    }
    if (!reply.completed) {
        umockdev_ioctl_client_complete(client, -1, EIO);
        return true;
    }
    // The header now holds the resolved pointers; only the status fields change.
    auto* answer = reinterpret_cast<sg_io_hdr_t*>(header.data->data);
    answer->status = 0;
    answer->host_status = 0;
    answer->driver_status = 0;
    answer->resid = static_cast<int>(request.dxfer_len) - reply.transferred;
    umockdev_ioctl_client_complete(client, 0, 0);
    return true;
}

MockSysfs::MockSysfs() : testbed_(umockdev_testbed_new()) {}

MockSysfs::~MockSysfs() {
    for (const std::string& node : attached_) {
        umockdev_testbed_detach_ioctl(testbed_, node.c_str(), nullptr);
    }
    g_object_unref(testbed_);
}

void MockSysfs::AddRecord(const std::string& record) {
    GError* error = nullptr;
    if (!umockdev_testbed_add_from_string(testbed_, record.c_str(), &error)) {
        const std::string message = error != nullptr ? error->message : "unknown error";
        g_clear_error(&error);
        throw std::runtime_error("umockdev record refused: " + message + "\n" + record);
    }
}

void MockSysfs::Add(const MockStorage& storage) {
    std::vector<std::string> records;
    const std::string host = std::to_string(storage.host);
    std::string hostPath;
    if (storage.usbDriver.empty()) {
        hostPath = "/devices/pci0000:00/0000:00:1f.2/ata" + host + "/host" + host;
    } else {
        const std::string usbDevice = "/devices/pci0000:00/0000:00:14.0/usb2/2-" + host;
        const std::string usbInterface = usbDevice + "/2-" + host + ":1.0";
        records.push_back(Record(usbDevice)
                              .Property("SUBSYSTEM", "usb")
                              .Property("DEVTYPE", "usb_device")
                              .Driver("usb", "usb")
                              .Text());
        records.push_back(Record(usbInterface)
                              .Property("SUBSYSTEM", "usb")
                              .Property("DEVTYPE", "usb_interface")
                              .Driver("usb", storage.usbDriver)
                              .Attribute("bInterfaceClass", "08")
                              .Text());
        hostPath = usbInterface + "/host" + host;
    }
    AddScsiDevice(records, hostPath, storage);
    for (const std::string& record : records) {
        AddRecord(record);
    }
}

void MockSysfs::AddVirtioDisk(const std::string& block, int minor) {
    const std::string virtio = "/devices/pci0000:00/0000:00:04.0/virtio0";
    AddRecord(Record(virtio).Property("SUBSYSTEM", "virtio").Driver("virtio", "virtio_blk").Text());
    AddRecord(Record(virtio + "/block/" + block)
                  .Property("SUBSYSTEM", "block")
                  .Property("DEVTYPE", "disk")
                  .Node(block, kVirtioMajor, minor)
                  .Text());
}

void MockSysfs::Attach(const std::string& node, EmulatedSgNode& responder) {
    const std::string path = "/dev/" + node;
    GError* error = nullptr;
    if (!umockdev_testbed_attach_ioctl(testbed_, path.c_str(), responder.Handler(), &error)) {
        const std::string message = error != nullptr ? error->message : "unknown error";
        g_clear_error(&error);
        throw std::runtime_error("cannot answer the ioctls of " + path + ": " + message);
    }
    attached_.push_back(path);
}

}  // namespace kxt::testing
