#include "device/PassThrough.h"

#include <algorithm>
#include <array>

namespace kxt::device {
namespace {

constexpr std::uint32_t kInTimeoutSeconds = 20;
constexpr std::uint32_t kOutTimeoutSeconds = 10;
constexpr std::uint32_t kChipEraseTimeoutSeconds = 100;
constexpr std::uint8_t kChipEraseSelector = 0x13;
constexpr std::size_t kStagingThreshold = 4;

using Staging = std::array<std::uint8_t, kStagingThreshold>;

// A one-byte transfer goes out as two; other short lengths as they are.
std::size_t StagedLength(std::size_t length) { return length == 1 ? 2 : length; }

std::uint32_t OutTimeout(const CommandBlock& block) {
    return block[2] == kChipEraseSelector ? kChipEraseTimeoutSeconds : kOutTimeoutSeconds;
}

// Opens, submits and closes; the handle is gone before the caller looks at the result.
bool Submit(os::ScsiPassThrough& scsi, const os::DevicePath& path, os::ShareMode mode,
            const os::ScsiCommand& command, os::ScsiCompletion& completion) {
    os::OpenResult opened = scsi.Open(path, mode);
    if (!opened.handle) {
        return false;
    }
    completion = opened.handle->Submit(command);
    opened.handle.reset();
    return true;
}

bool Succeeded(const os::ScsiCompletion& completion) {
    return completion.completed && completion.errorCode == 0;
}

}  // namespace

bool PassThroughIn(os::ScsiPassThrough& scsi, const os::DevicePath& path, const CommandBlock& block,
                   std::span<std::uint8_t> buffer, std::int32_t& transferred) {
    const bool staged = buffer.size() < kStagingThreshold;
    Staging staging{};
    os::ScsiCommand command;
    command.cdb = block;
    command.direction = os::DataDirection::In;
    command.dataIn = staged ? std::span(staging).first(StagedLength(buffer.size())) : buffer;
    command.timeoutSeconds = kInTimeoutSeconds;
    os::ScsiCompletion completion;
    if (!Submit(scsi, path, os::ShareMode::Shared, command, completion)) {
        return false;
    }
    if (staged) {
        std::copy_n(staging.begin(), buffer.size(), buffer.begin());
    }
    transferred = completion.transferred;
    return Succeeded(completion);
}

bool PassThroughOut(os::ScsiPassThrough& scsi, const os::DevicePath& path, const CommandBlock& block,
                    std::span<const std::uint8_t> buffer, std::int32_t& transferred) {
    const bool staged = buffer.size() < kStagingThreshold;
    Staging staging{};
    if (staged) {
        std::copy(buffer.begin(), buffer.end(), staging.begin());
    }
    os::ScsiCommand command;
    command.cdb = block;
    command.direction = os::DataDirection::Out;
    command.dataOut = staged ? std::span<const std::uint8_t>(staging).first(StagedLength(buffer.size()))
                             : buffer;
    command.timeoutSeconds = OutTimeout(block);
    os::ScsiCompletion completion;
    if (!Submit(scsi, path, os::ShareMode::Exclusive, command, completion)) {
        return false;
    }
    transferred = completion.transferred;
    return Succeeded(completion);
}

}  // namespace kxt::device
