#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "emulator/NorFlash.h"
#include "emulator/Personality.h"
#include "emulator/TimingModel.h"
#include "os/ScsiPassThrough.h"

namespace kxt::emulator {

// The commands an emulated bridge understands, decoded from the command block the
// way the chip's firmware would.
enum class ChipCommand {
    Unknown,
    Inquiry,
    ReadFirmwareIdentity,
    ReadLegacyChipId,
    ReadChipInfo,
    ReadXdata,
    ReadFlashBlock,
    WriteFlashBlock,
    EnableVendorMode,
    DisableVendorMode,
    ResetChip,
    PrepareUpdate,
    ReadFlash,
    WriteFlash,
    ReadFlashStatus,
    EraseFlashChip,
    EraseFlashSector,
    SendSpiOpcode,
    ReadSpiResponse,
    ReadSpiSignature,
    ReadFlashType,
    SwitchToInternalRom,
    IsRomBusy,
    StartRomErase,
    LoadRomEraseSequence,
    ProgramRom,
    ReadRom,
};

ChipCommand DecodeCommand(std::span<const std::uint8_t> cdb);
std::string_view CommandName(ChipCommand command);

// What the chip did with one request.
struct ChipReply {
    bool completed = false;  // false: the request failed at the transport
    std::int32_t transferred = 0;
    bool reset = false;  // the chip restarts and leaves the bus
    FlashWork work{};    // what the flash array did, for the timing model
};

// The device side of one bridge: its personality, its flash and the state that
// commands change (vendor mode, ROM mode, the last SPI reply, busy bits).
class BridgeChip {
public:
    BridgeChip(Personality personality, NorFlash flash);

    ChipReply Execute(ChipCommand command, const os::ScsiCommand& request);

    const Personality& GetPersonality() const { return personality_; }
    Personality& MutablePersonality() { return personality_; }
    NorFlash& Flash() { return flash_; }
    const NorFlash& Flash() const { return flash_; }
    bool VendorMode() const { return vendorMode_; }
    bool RomMode() const { return romMode_; }
    // Back to power-on state after a reset; the flash keeps its content.
    void Restart();

private:
    ChipReply Inquiry(const os::ScsiCommand& request) const;
    ChipReply ReplyWith(std::span<const std::uint8_t> reply, const os::ScsiCommand& request) const;
    ChipReply BlockTransfer(ChipCommand command, const os::ScsiCommand& request);
    ChipReply FlashStatus(const os::ScsiCommand& request);
    ChipReply RomCommand(ChipCommand command, const os::ScsiCommand& request);
    FlashWork EraseForWriteMode(std::uint8_t mode, std::uint32_t address);
    bool RomCyclesMatch(std::span<const std::uint8_t> cycles, bool erase) const;

    Personality personality_;
    NorFlash flash_;
    bool vendorMode_ = false;
    bool romMode_ = false;
    std::array<std::uint8_t, 4> spiReply_{};
    std::optional<std::vector<std::uint8_t>> romEraseSequence_;
    int statusReads_ = 0;
    int romBusyLeft_ = 0;
};

}  // namespace kxt::emulator
