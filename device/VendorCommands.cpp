#include "device/VendorCommands.h"

#include <algorithm>
#include <array>
#include <optional>

#include "device/PassThrough.h"
#include "device/ProgrammingGuard.h"
#include "device/WireLayout.h"

namespace kxt::device {
namespace {

using wire::CommandLayout;
using wire::Field;

constexpr std::size_t kMinChipInfoLength = 8;
constexpr std::uint8_t kRomBusy = 1;

bool Fits(const Field& field, std::uint64_t value) {
    return field.width >= 8 || value < (std::uint64_t{1} << (8U * field.width));
}

void Put(CommandBlock& block, const Field& field, std::uint64_t value) {
    for (std::uint8_t i = 0; i < field.width; ++i) {
        const unsigned shift =
            8U * (field.endian == wire::Endian::Big ? field.width - 1U - i : i);
        block[field.offset + i] = static_cast<std::uint8_t>(value >> shift);
    }
}

struct Arguments {
    std::uint64_t address = 0;
    std::uint64_t length = 0;
    std::uint8_t parameter = 0;
};

// The layout's fixed bytes with the caller's values in their fields, or nothing
// when a value does not fit its field.
std::optional<CommandBlock> Build(const CommandLayout& layout, const Arguments& args = {}) {
    if (!Fits(layout.address, args.address) || !Fits(layout.length, args.length)) {
        return std::nullopt;
    }
    CommandBlock block = layout.fixed;
    Put(block, layout.address, args.address);
    Put(block, layout.length, args.length);
    Put(block, layout.parameter, args.parameter);
    return block;
}

bool In(const os::Platform& p, const DevicePath& path, const std::optional<CommandBlock>& block,
        std::span<std::uint8_t> buffer, std::int32_t& transferred) {
    return block && PassThroughIn(p.scsi, path, *block, buffer, transferred);
}

bool In(const os::Platform& p, const DevicePath& path, const std::optional<CommandBlock>& block,
        std::span<std::uint8_t> buffer = {}) {
    std::int32_t transferred = 0;
    return In(p, path, block, buffer, transferred);
}

bool Out(const os::Platform& p, const DevicePath& path, const std::optional<CommandBlock>& block,
         std::span<const std::uint8_t> data = {}) {
    std::int32_t transferred = 0;
    return block && PassThroughOut(p.scsi, path, *block, data, transferred);
}

// Every command that changes flash passes here, so that no path can write a
// stand-in image into a real device.
bool FlashOut(const os::Platform& p, const DevicePath& path,
              const std::optional<CommandBlock>& block, std::span<const std::uint8_t> data = {}) {
    return ProgrammingAllowed(p) && Out(p, path, block, data);
}

const wire::ParallelFlashCycles* CyclesOf(ParallelFlashType type) {
    if (type < 0 || static_cast<std::size_t>(type) >= wire::kParallelFlashCycles.size()) {
        return nullptr;
    }
    return &wire::kParallelFlashCycles[static_cast<std::size_t>(type)];
}

}  // namespace

bool Inquiry(const os::Platform& p, const DevicePath& path, std::span<std::uint8_t> buffer) {
    return In(p, path, Build(wire::kInquiry, {.length = buffer.size()}), buffer);
}

bool ReadFirmwareIdentity(const os::Platform& p, const DevicePath& path,
                          std::span<std::uint8_t> buffer, std::int32_t& transferred) {
    return In(p, path, Build(wire::kReadFirmwareIdentity), buffer, transferred);
}

bool ReadLegacyChipId(const os::Platform& p, const DevicePath& path,
                      std::span<std::uint8_t, 2> buffer, std::int32_t& transferred) {
    return In(p, path, Build(wire::kReadLegacyChipId), buffer, transferred);
}

bool ReadChipInfo(const os::Platform& p, const DevicePath& path, std::span<std::uint8_t> buffer) {
    if (buffer.size() < kMinChipInfoLength) {
        return false;
    }
    return In(p, path, Build(wire::kReadChipInfo), buffer);
}

bool ReadXdata(const os::Platform& p, const DevicePath& path, std::uint16_t address,
               std::span<std::uint8_t> buffer) {
    return In(p, path, Build(wire::kReadXdata, {.address = address, .length = buffer.size()}),
              buffer);
}

bool ReadFlashBlock(const os::Platform& p, const DevicePath& path, std::uint32_t address,
                    std::span<std::uint8_t> buffer) {
    return In(p, path, Build(wire::kReadFlashBlock, {.address = address, .length = buffer.size()}),
              buffer);
}

bool WriteFlashBlock(const os::Platform& p, const DevicePath& path, std::uint32_t address,
                     std::span<const std::uint8_t> data, std::uint8_t writeMode) {
    const Arguments args{.address = address,
                         .length = data.size(),
                         .parameter = static_cast<std::uint8_t>(writeMode & wire::kWriteModeMask)};
    return FlashOut(p, path, Build(wire::kWriteFlashBlock, args), data);
}

bool EnableVendorMode(const os::Platform& p, const DevicePath& path) {
    return Out(p, path, Build(wire::kEnableVendorMode));
}

bool DisableVendorMode(const os::Platform& p, const DevicePath& path) {
    return Out(p, path, Build(wire::kDisableVendorMode));
}

bool ResetChip(const os::Platform& p, const DevicePath& path) {
    return In(p, path, Build(wire::kResetChip));
}

bool PrepareUpdate(const os::Platform& p, const DevicePath& path) {
    return Out(p, path, Build(wire::kPrepareUpdate));
}

bool ReadFlash(const os::Platform& p, const DevicePath& path, std::uint32_t address,
               std::span<std::uint8_t> buffer) {
    return In(p, path, Build(wire::kReadFlash, {.address = address}), buffer);
}

bool WriteFlash(const os::Platform& p, const DevicePath& path, std::uint32_t address,
                std::span<const std::uint8_t> data) {
    return FlashOut(p, path, Build(wire::kWriteFlash, {.address = address}), data);
}

bool ReadFlashStatus(const os::Platform& p, const DevicePath& path, std::uint8_t& status) {
    return In(p, path, Build(wire::kReadFlashStatus), std::span(&status, 1));
}

bool EraseFlashChip(const os::Platform& p, const DevicePath& path) {
    return FlashOut(p, path, Build(wire::kEraseFlashChip));
}

bool EraseFlashSector(const os::Platform& p, const DevicePath& path, std::uint32_t address) {
    return FlashOut(p, path, Build(wire::kEraseFlashSector, {.address = address}));
}

bool SendSpiOpcode(const os::Platform& p, const DevicePath& path, std::uint8_t opcode) {
    return In(p, path, Build(wire::kSendSpiOpcode, {.parameter = opcode}));
}

bool ReadSpiResponse(const os::Platform& p, const DevicePath& path,
                     std::span<std::uint8_t> buffer) {
    return In(p, path, Build(wire::kReadSpiResponse), buffer);
}

bool ReadSpiSignature(const os::Platform& p, const DevicePath& path,
                      std::span<std::uint8_t, 3> buffer, std::uint8_t opcode, bool flag) {
    std::optional<CommandBlock> block = Build(wire::kReadSpiSignature, {.parameter = opcode});
    if (block && flag) {
        (*block)[wire::kSpiSignatureFlagOffset] = wire::kSpiSignatureFlagValue;
    }
    return In(p, path, block, buffer);
}

bool ReadFlashType(const os::Platform& p, const DevicePath& path,
                   std::span<std::uint8_t, 4> buffer) {
    return In(p, path, Build(wire::kReadFlashType), buffer);
}

bool SwitchToInternalRom(const os::Platform& p, const DevicePath& path) {
    return Out(p, path, Build(wire::kSwitchToInternalRom));
}

bool IsRomBusy(const os::Platform& p, const DevicePath& path) {
    std::uint8_t status = 0;
    if (!In(p, path, Build(wire::kIsRomBusy), std::span(&status, 1))) {
        return true;
    }
    return status == kRomBusy;
}

bool StartRomErase(const os::Platform& p, const DevicePath& path) {
    return FlashOut(p, path, Build(wire::kStartRomErase));
}

bool LoadRomEraseSequence(const os::Platform& p, const DevicePath& path, ParallelFlashType type) {
    std::array<std::uint8_t, 18> sequence{};
    if (const auto* cycles = CyclesOf(type)) {
        sequence = cycles->erase;
    }
    return FlashOut(p, path, Build(wire::kLoadRomEraseSequence), sequence);
}

bool ProgramRom(const os::Platform& p, const DevicePath& path, std::span<const std::uint8_t> data,
                ParallelFlashType type) {
    std::optional<CommandBlock> block = Build(wire::kProgramRom);
    if (const auto* cycles = CyclesOf(type)) {
        std::copy(cycles->program.begin(), cycles->program.end(), block->begin() + 3);
    }
    return FlashOut(p, path, block, data);
}

bool ReadRom(const os::Platform& p, const DevicePath& path, std::uint32_t address,
             std::span<std::uint8_t> buffer) {
    return In(p, path, Build(wire::kReadRom, {.address = address}), buffer);
}

}  // namespace kxt::device
