#include "emulator/EmulatedBus.h"

#include <algorithm>
#include <cerrno>
#include <fstream>

namespace kxt::emulator {
namespace {

constexpr std::string_view kPathPrefix = "emu:";

const Fault* PlannedFault(const EmulatedDevice& device, std::string_view name, int occurrence) {
    for (const Fault& fault : device.faults) {
        const bool due = fault.occurrence == 0 || fault.occurrence == occurrence ||
                         (fault.onwards && occurrence > fault.occurrence);
        if (fault.command == name && due) {
            return &fault;
        }
    }
    return nullptr;
}

}  // namespace

class EmulatedBus::Handle final : public os::ScsiHandle {
public:
    Handle(EmulatedBus& bus, os::DevicePath path, bool exclusive)
        : bus_(bus), path_(std::move(path)), exclusive_(exclusive) {}
    os::ScsiCompletion Submit(const os::ScsiCommand& command) override {
        return bus_.Submit(path_, command, exclusive_);
    }

private:
    EmulatedBus& bus_;
    os::DevicePath path_;
    bool exclusive_;
};

EmulatedBus::EmulatedBus(VirtualClock& clock) : clock_(clock) {}
EmulatedBus::~EmulatedBus() = default;

EmulatedDevice& EmulatedBus::AddDevice(std::string id, Personality personality, NorFlash flash) {
    std::lock_guard lock(mutex_);
    os::DevicePath path = std::string(kPathPrefix) + id;
    devices_.push_back(std::make_unique<EmulatedDevice>(
        EmulatedDevice{std::move(id), std::move(path),
                       BridgeChip(std::move(personality), std::move(flash)), {}, {}}));
    return *devices_.back();
}

EmulatedDevice* EmulatedBus::FindLocked(const os::DevicePath& path) {
    for (auto& device : devices_) {
        if (device->path == path) {
            return device.get();
        }
    }
    return nullptr;
}

EmulatedDevice* EmulatedBus::Find(const os::DevicePath& path) {
    std::lock_guard lock(mutex_);
    return FindLocked(path);
}

std::vector<EmulatedDevice*> EmulatedBus::Devices() {
    std::lock_guard lock(mutex_);
    std::vector<EmulatedDevice*> devices;
    for (auto& device : devices_) {
        devices.push_back(device.get());
    }
    return devices;
}

os::OpenResult EmulatedBus::Open(const os::DevicePath& path, os::ShareMode mode) {
    std::vector<std::pair<os::DevicePath, DeviceChange>> changes;
    os::OpenResult result;
    {
        std::lock_guard lock(mutex_);
        changes = UpdateAttachments();
        EmulatedDevice* device = FindLocked(path);
        if (device == nullptr || !device->attached) {
            result.errorCode = ENOENT;
        } else if (const auto& error = device->chip.GetPersonality().openError) {
            result.errorCode = *error;
            if (*error == EACCES || *error == EPERM) {
                denied_.insert(path);
            }
        } else {
            result.handle =
                std::make_unique<Handle>(*this, path, mode == os::ShareMode::Exclusive);
        }
    }
    Notify(changes);
    return result;
}

std::vector<os::DevicePath> EmulatedBus::PermissionDenials() const {
    std::lock_guard lock(mutex_);
    return {denied_.begin(), denied_.end()};
}

std::vector<os::DevicePath> EmulatedBus::List(os::InterfaceKind kind) {
    std::vector<std::pair<os::DevicePath, DeviceChange>> changes;
    std::vector<os::DevicePath> paths;
    {
        std::lock_guard lock(mutex_);
        changes = UpdateAttachments();
        for (const auto& device : devices_) {
            if (device->attached && device->chip.GetPersonality().interface == kind) {
                paths.push_back(device->path);
            }
        }
    }
    Notify(changes);
    return paths;
}

os::ScsiCompletion EmulatedBus::Submit(const os::DevicePath& path, const os::ScsiCommand& command,
                                       bool exclusive) {
    std::vector<std::pair<os::DevicePath, DeviceChange>> changes;
    os::ScsiCompletion completion;
    {
        std::lock_guard lock(mutex_);
        const ChipCommand decoded = DecodeCommand(command.cdb);
        LoggedCommand entry;
        entry.path = path;
        entry.name = std::string(CommandName(decoded));
        entry.direction = command.direction;
        entry.length = static_cast<std::uint32_t>(command.DataLength());
        entry.cdbLength = std::min(command.cdb.size(), entry.cdb.size());
        std::copy_n(command.cdb.begin(), entry.cdbLength, entry.cdb.begin());
        entry.timeoutSeconds = command.timeoutSeconds;
        entry.exclusive = exclusive;
        entry.time = clock_.Now();
        if (command.direction == os::DataDirection::Out) {
            entry.dataOut.assign(command.dataOut.begin(), command.dataOut.end());
        }
        EmulatedDevice* device = FindLocked(path);
        if (device == nullptr || !device->attached) {
            completion.errorCode = ENODEV;
        } else {
            const int occurrence = ++device->occurrences[entry.name];
            FlashWork work;
            completion = Execute(*device, decoded, command, occurrence, changes, work);
            const std::uint64_t moved = completion.completed ? command.DataLength() : 0;
            clock_.Advance(device->timing.Cost(moved, work));
        }
        entry.completed = completion.completed && completion.errorCode == 0;
        log_.push_back(std::move(entry));
    }
    Notify(changes);
    return completion;
}

os::ScsiCompletion EmulatedBus::Execute(
    EmulatedDevice& device, ChipCommand command, const os::ScsiCommand& request, int occurrence,
    std::vector<std::pair<os::DevicePath, DeviceChange>>& changes, FlashWork& work) {
    os::ScsiCompletion completion;
    if (device.chip.GetPersonality().rawIoDenied && command != ChipCommand::Inquiry) {
        denied_.insert(device.path);
        completion.errorCode = EPERM;
        return completion;
    }
    const Fault* fault = PlannedFault(device, CommandName(command), occurrence);
    if (fault != nullptr && fault->kind == Fault::Kind::FailCommand) {
        completion.errorCode = EIO;
        return completion;
    }
    if (fault != nullptr && fault->kind == Fault::Kind::Disappear) {
        device.attached = false;
        device.gone = true;
        changes.emplace_back(device.path, DeviceChange::Removal);
        completion.errorCode = ENODEV;
        return completion;
    }
    if (fault != nullptr && fault->kind == Fault::Kind::Ignore) {
        completion.completed = true;
        return completion;
    }
    const ChipReply reply = device.chip.Execute(command, request);
    completion.completed = reply.completed;
    completion.errorCode = reply.completed ? 0 : EIO;
    completion.transferred = reply.transferred;
    work = reply.work;
    if (fault != nullptr && fault->kind == Fault::Kind::CorruptRead &&
        fault->offset < request.dataIn.size()) {
        request.dataIn[fault->offset] = static_cast<std::uint8_t>(~request.dataIn[fault->offset]);
    }
    if (reply.reset) {
        device.chip.Restart();
        device.attached = false;
        device.reattachAt =
            clock_.Now() + std::chrono::milliseconds(device.chip.GetPersonality().reattachDelayMs);
        changes.emplace_back(device.path, DeviceChange::Removal);
    }
    return completion;
}

std::vector<std::pair<os::DevicePath, DeviceChange>> EmulatedBus::UpdateAttachments() {
    std::vector<std::pair<os::DevicePath, DeviceChange>> changes;
    for (auto& device : devices_) {
        if (!device->attached && !device->gone && clock_.Now() >= device->reattachAt) {
            device->attached = true;
            changes.emplace_back(device->path, DeviceChange::Arrival);
        }
    }
    return changes;
}

void EmulatedBus::Notify(const std::vector<std::pair<os::DevicePath, DeviceChange>>& changes) {
    ChangeListener listener;
    {
        std::lock_guard lock(mutex_);
        listener = listener_;
    }
    if (!listener) {
        return;
    }
    for (const auto& [path, change] : changes) {
        listener(path, change);
    }
}

CommandLog EmulatedBus::Log() const {
    std::lock_guard lock(mutex_);
    return log_;
}

void EmulatedBus::ClearLog() {
    std::lock_guard lock(mutex_);
    log_.clear();
}

bool EmulatedBus::WriteLog(const std::filesystem::path& file) const {
    std::ofstream out(file, std::ios::trunc);
    for (const LoggedCommand& command : Log()) {
        out << FormatLogLine(command) << '\n';
    }
    out.flush();
    return static_cast<bool>(out);
}

bool EmulatedBus::SaveFlashes(const std::filesystem::path& directory) const {
    std::error_code error;
    std::filesystem::create_directories(directory, error);
    std::lock_guard lock(mutex_);
    for (const auto& device : devices_) {
        const auto bytes = device->chip.Flash().Bytes();
        std::ofstream out(directory / (device->id + ".bin"), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out) {
            return false;
        }
    }
    return true;
}

void EmulatedBus::SetChangeListener(ChangeListener listener) {
    std::lock_guard lock(mutex_);
    listener_ = std::move(listener);
}

std::optional<std::chrono::milliseconds> EmulatedBus::NextReattachTime() const {
    std::lock_guard lock(mutex_);
    std::optional<std::chrono::milliseconds> next;
    for (const auto& device : devices_) {
        if (!device->attached && !device->gone && (!next || device->reattachAt < *next)) {
            next = device->reattachAt;
        }
    }
    return next;
}

}  // namespace kxt::emulator
