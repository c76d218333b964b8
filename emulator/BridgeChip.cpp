#include "emulator/BridgeChip.h"

#include <algorithm>
#include <array>

namespace kxt::emulator {
namespace {

struct CommandInfo {
    ChipCommand command;
    std::string_view name;
    os::DataDirection direction;
};

using enum os::DataDirection;

// clang-format off
constexpr std::array<CommandInfo, 27> kCommands{{
    {ChipCommand::Unknown, "Unknown", In},
    {ChipCommand::Inquiry, "Inquiry", In},
    {ChipCommand::ReadFirmwareIdentity, "ReadFirmwareIdentity", In},
    {ChipCommand::ReadLegacyChipId, "ReadLegacyChipId", In},
    {ChipCommand::ReadChipInfo, "ReadChipInfo", In},
    {ChipCommand::ReadXdata, "ReadXdata", In},
    {ChipCommand::ReadFlashBlock, "ReadFlashBlock", In},
    {ChipCommand::WriteFlashBlock, "WriteFlashBlock", Out},
    {ChipCommand::EnableVendorMode, "EnableVendorMode", Out},
    {ChipCommand::DisableVendorMode, "DisableVendorMode", Out},
    {ChipCommand::ResetChip, "ResetChip", In},
    {ChipCommand::PrepareUpdate, "PrepareUpdate", Out},
    {ChipCommand::ReadFlash, "ReadFlash", In},
    {ChipCommand::WriteFlash, "WriteFlash", Out},
    {ChipCommand::ReadFlashStatus, "ReadFlashStatus", In},
    {ChipCommand::EraseFlashChip, "EraseFlashChip", Out},
    {ChipCommand::EraseFlashSector, "EraseFlashSector", Out},
    {ChipCommand::SendSpiOpcode, "SendSpiOpcode", In},
    {ChipCommand::ReadSpiResponse, "ReadSpiResponse", In},
    {ChipCommand::ReadSpiSignature, "ReadSpiSignature", In},
    {ChipCommand::ReadFlashType, "ReadFlashType", In},
    {ChipCommand::SwitchToInternalRom, "SwitchToInternalRom", Out},
    {ChipCommand::IsRomBusy, "IsRomBusy", In},
    {ChipCommand::StartRomErase, "StartRomErase", Out},
    {ChipCommand::LoadRomEraseSequence, "LoadRomEraseSequence", Out},
    {ChipCommand::ProgramRom, "ProgramRom", Out},
    {ChipCommand::ReadRom, "ReadRom", In},
}};
// clang-format on

const CommandInfo& InfoOf(ChipCommand command) {
    for (const CommandInfo& info : kCommands) {
        if (info.command == command) {
            return info;
        }
    }
    return kCommands[0];
}

std::uint32_t BigEndian(std::span<const std::uint8_t> bytes) {
    std::uint32_t value = 0;
    for (std::uint8_t byte : bytes) {
        value = value << 8 | byte;
    }
    return value;
}

std::uint32_t LittleEndian(std::span<const std::uint8_t> bytes) {
    std::uint32_t value = 0;
    for (std::size_t i = bytes.size(); i-- > 0;) {
        value = value << 8 | bytes[i];
    }
    return value;
}

ChipCommand DecodeDf(std::span<const std::uint8_t> cdb) {
    switch (cdb[11]) {
        case 0xFF: return ChipCommand::ReadLegacyChipId;
        case 0xFD: return ChipCommand::ReadXdata;
        case 0xFA: return ChipCommand::ReadFlashBlock;
        case 0xFB: return ChipCommand::WriteFlashBlock;
        default: return ChipCommand::Unknown;
    }
}

ChipCommand DecodeFf04(std::span<const std::uint8_t> cdb) {
    switch (cdb[2]) {
        case 0x00: return ChipCommand::IsRomBusy;
        case 0x01: return ChipCommand::StartRomErase;
        case 0x02: return ChipCommand::ProgramRom;
        case 0x03: return ChipCommand::ReadRom;
        case 0x04: return ChipCommand::LoadRomEraseSequence;
        case 0x05: return ChipCommand::SwitchToInternalRom;
        case 0x10: return ChipCommand::ReadFlash;
        case 0x11: return ChipCommand::WriteFlash;
        case 0x12: return ChipCommand::ReadFlashStatus;
        case 0x13: return ChipCommand::EraseFlashChip;
        case 0x14: return ChipCommand::EraseFlashSector;
        case 0x15: return ChipCommand::ReadSpiSignature;
        case 0x20: return ChipCommand::SendSpiOpcode;
        case 0x21: return ChipCommand::ReadSpiResponse;
        case 0x23: return ChipCommand::ReadFlashType;
        case 0x25: return ChipCommand::PrepareUpdate;
        case 0x26:
            return cdb[3] == 0x4B && cdb[4] == 0x58 ? ChipCommand::ResetChip : ChipCommand::Unknown;
        case 0x30: return ChipCommand::ReadChipInfo;
        case 0x4B:
            if (cdb[3] != 0x58) return ChipCommand::Unknown;
            if (cdb[4] == 0x55) return ChipCommand::EnableVendorMode;
            if (cdb[4] == 0xAA) return ChipCommand::DisableVendorMode;
            return ChipCommand::Unknown;
        default: return ChipCommand::Unknown;
    }
}

// The cycles a parallel flash part obeys, from its two unlock addresses: k
// little-endian addresses, then the k data bytes.
std::vector<std::uint8_t> Cycles(std::span<const std::uint16_t> addresses,
                                 std::span<const std::uint8_t> data) {
    std::vector<std::uint8_t> bytes;
    for (std::uint16_t address : addresses) {
        bytes.push_back(static_cast<std::uint8_t>(address & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(address >> 8));
    }
    bytes.insert(bytes.end(), data.begin(), data.end());
    return bytes;
}

std::pair<std::uint16_t, std::uint16_t> UnlockAddresses(int part) {
    return part == 1 ? std::pair<std::uint16_t, std::uint16_t>{0x0555, 0x02AA}
                     : std::pair<std::uint16_t, std::uint16_t>{0x5555, 0x2AAA};
}

}  // namespace

ChipCommand DecodeCommand(std::span<const std::uint8_t> cdb) {
    if (cdb.size() < 12) {
        return ChipCommand::Unknown;
    }
    if (cdb[0] == 0x12) return ChipCommand::Inquiry;
    if (cdb[0] == 0xE0 && cdb[1] == 0xF4 && cdb[2] == 0xE7) return ChipCommand::ReadFirmwareIdentity;
    if (cdb[0] == 0xDF) return DecodeDf(cdb);
    if (cdb[0] == 0xFF && cdb[1] == 0x04) return DecodeFf04(cdb);
    return ChipCommand::Unknown;
}

std::string_view CommandName(ChipCommand command) { return InfoOf(command).name; }

BridgeChip::BridgeChip(Personality personality, NorFlash flash)
    : personality_(std::move(personality)), flash_(std::move(flash)) {}

void BridgeChip::Restart() {
    vendorMode_ = false;
    romMode_ = false;
    spiReply_ = {};
    romEraseSequence_.reset();
    romBusyLeft_ = 0;
}

ChipReply BridgeChip::Execute(ChipCommand command, const os::ScsiCommand& request) {
    const ChipReply unknown{personality_.unknownCommands == UnknownCommandBehaviour::Reject, 0};
    if (command == ChipCommand::Unknown) {
        return unknown;
    }
    if (command != ChipCommand::Inquiry && !personality_.vendorCommands) {
        return unknown;
    }
    if (request.DataLength() > 0 && request.direction != InfoOf(command).direction) {
        return {};
    }
    const auto cdb = request.cdb;
    switch (command) {
        case ChipCommand::Inquiry: return Inquiry(request);
        case ChipCommand::ReadFirmwareIdentity: {
            if (!personality_.identity) return unknown;
            const auto length = static_cast<std::size_t>(
                std::clamp<std::int32_t>(personality_.identityLength, 0, 16));
            return ReplyWith(std::span(*personality_.identity).first(length), request);
        }
        case ChipCommand::ReadLegacyChipId:
            if (!personality_.legacyChipId) return unknown;
            return ReplyWith(*personality_.legacyChipId, request);
        case ChipCommand::ReadChipInfo:
            if (!personality_.chipInfo) return unknown;
            return ReplyWith(*personality_.chipInfo, request);
        case ChipCommand::ReadXdata: {
            if (BigEndian(cdb.subspan(3, 2)) != request.DataLength()) return {};
            const std::uint32_t address = BigEndian(cdb.subspan(6, 2));
            std::vector<std::uint8_t> reply(request.DataLength());
            for (std::size_t i = 0; i < reply.size(); ++i) {
                const auto it = personality_.xdata.find(static_cast<std::uint16_t>(address + i));
                reply[i] = it == personality_.xdata.end() ? 0 : it->second;
            }
            return ReplyWith(reply, request);
        }
        case ChipCommand::ReadFlashBlock:
        case ChipCommand::WriteFlashBlock: return BlockTransfer(command, request);
        case ChipCommand::EnableVendorMode: vendorMode_ = true; return {true, 0};
        case ChipCommand::DisableVendorMode: vendorMode_ = false; return {true, 0};
        case ChipCommand::ResetChip: return {true, 0, true};
        case ChipCommand::PrepareUpdate: return {true, 0};
        case ChipCommand::ReadFlash:
            flash_.Read(BigEndian(cdb.subspan(3, 3)), request.dataIn);
            return {true, static_cast<std::int32_t>(request.dataIn.size())};
        case ChipCommand::WriteFlash:
            flash_.Program(BigEndian(cdb.subspan(3, 3)), request.dataOut);
            return {true, static_cast<std::int32_t>(request.dataOut.size()), false,
                    {.programmedBytes = request.dataOut.size()}};
        case ChipCommand::ReadFlashStatus: return FlashStatus(request);
        case ChipCommand::EraseFlashChip:
            flash_.EraseAll();
            return {true, 0, false, {.chipErases = 1}};
        case ChipCommand::EraseFlashSector: {
            const FlashSector sector = personality_.flashPart.SectorAt(BigEndian(cdb.subspan(3, 3)));
            flash_.EraseRange(sector.start, sector.size);
            return {true, 0, false, {.sectorErases = 1}};
        }
        case ChipCommand::SendSpiOpcode: {
            const auto& replies = personality_.flashPart.opcodeReplies;
            const auto it = replies.find(cdb[5]);
            spiReply_ = it == replies.end() ? std::array<std::uint8_t, 4>{} : it->second;
            return {true, 0};
        }
        case ChipCommand::ReadSpiResponse: return ReplyWith(spiReply_, request);
        case ChipCommand::ReadSpiSignature: {
            const auto& replies = personality_.flashPart.signatureReplies;
            const auto it = replies.find(cdb[4]);
            const std::array<std::uint8_t, 3> reply =
                it == replies.end() ? std::array<std::uint8_t, 3>{} : it->second;
            return ReplyWith(reply, request);
        }
        case ChipCommand::ReadFlashType: {
            if (!personality_.reportedFlashType) return unknown;
            const std::array<std::uint8_t, 4> reply{*personality_.reportedFlashType, 0, 0, 0};
            return ReplyWith(reply, request);
        }
        default: return RomCommand(command, request);
    }
}

ChipReply BridgeChip::Inquiry(const os::ScsiCommand& request) const {
    std::array<std::uint8_t, 40> reply{};
    reply[0] = personality_.interface == os::InterfaceKind::Cdrom ? 0x05 : 0x00;
    reply[1] = 0x80;  // removable medium
    reply[2] = 0x06;
    reply[3] = 0x02;
    reply[4] = static_cast<std::uint8_t>(reply.size() - 5);
    const auto put = [&reply](std::size_t offset, std::size_t width, const std::string& text) {
        for (std::size_t i = 0; i < width; ++i) {
            reply[offset + i] = i < text.size() ? static_cast<std::uint8_t>(text[i]) : ' ';
        }
    };
    put(8, 8, personality_.vendor);
    put(16, 16, personality_.product);
    put(32, 4, personality_.productRevision);
    put(36, 4, personality_.inquiryChipCode);
    return ReplyWith(reply, request);
}

ChipReply BridgeChip::ReplyWith(std::span<const std::uint8_t> reply,
                                const os::ScsiCommand& request) const {
    // Like a real device, a reply shorter than the request leaves the rest of the
    // host's buffer alone and reports the shorter length.
    const std::size_t count = std::min(request.dataIn.size(), reply.size());
    std::copy_n(reply.begin(), count, request.dataIn.begin());
    return {true, static_cast<std::int32_t>(count)};
}

ChipReply BridgeChip::BlockTransfer(ChipCommand command, const os::ScsiCommand& request) {
    const auto cdb = request.cdb;
    if (BigEndian(cdb.subspan(3, 2)) != request.DataLength()) {
        return {};
    }
    const std::uint32_t address = BigEndian(cdb.subspan(8, 3));
    if (command == ChipCommand::ReadFlashBlock) {
        flash_.Read(address, request.dataIn);
        return {true, static_cast<std::int32_t>(request.dataIn.size())};
    }
    FlashWork work = EraseForWriteMode(cdb[1], address);
    flash_.Program(address, request.dataOut);
    work.programmedBytes = request.dataOut.size();
    return {true, static_cast<std::int32_t>(request.dataOut.size()), false, work};
}

FlashWork BridgeChip::EraseForWriteMode(std::uint8_t mode, std::uint32_t address) {
    // Bit 7 only asks the firmware to lift the part's write protection first; the
    // low bits name the erase: small block, large block, whole chip or none.
    switch (mode & 0x07) {
        case 1:
        case 4:
            flash_.EraseUnit(address, personality_.flashPart.smallEraseBlock);
            return {.smallBlockErases = 1};
        case 2:
        case 5:
            flash_.EraseUnit(address, personality_.flashPart.largeEraseBlock);
            return {.largeBlockErases = 1};
        case 3:
        case 6:
        case 7: flash_.EraseAll(); return {.chipErases = 1};
        default: return {};
    }
}

ChipReply BridgeChip::FlashStatus(const os::ScsiCommand& request) {
    const int busyReads = personality_.busyStatusReads;
    const bool busy = busyReads < 0 || statusReads_ < busyReads;
    ++statusReads_;
    const std::array<std::uint8_t, 2> reply{static_cast<std::uint8_t>(busy ? 0x01 : 0x00), 0};
    return ReplyWith(reply, request);
}

bool BridgeChip::RomCyclesMatch(std::span<const std::uint8_t> cycles, bool erase) const {
    const auto [first, second] = UnlockAddresses(*personality_.parallelFlashPart);
    const std::vector<std::uint8_t> expected =
        erase ? Cycles(std::array{first, second, first, first, second, first},
                       std::array<std::uint8_t, 6>{0xAA, 0x55, 0x80, 0xAA, 0x55, 0x10})
              : Cycles(std::array{first, second, first}, std::array<std::uint8_t, 3>{0xAA, 0x55, 0xA0});
    return std::equal(expected.begin(), expected.end(), cycles.begin(), cycles.end());
}

ChipReply BridgeChip::RomCommand(ChipCommand command, const os::ScsiCommand& request) {
    const ChipReply unknown{personality_.unknownCommands == UnknownCommandBehaviour::Reject, 0};
    if (!personality_.parallelFlashPart) {
        return unknown;
    }
    if (command == ChipCommand::SwitchToInternalRom) {
        romMode_ = true;
        return {true, 0};
    }
    if (personality_.needsRomSwitch && !romMode_) {
        return {};
    }
    switch (command) {
        case ChipCommand::IsRomBusy: {
            const bool busy = personality_.romBusyReads < 0 || romBusyLeft_ > 0;
            if (romBusyLeft_ > 0) --romBusyLeft_;
            const std::array<std::uint8_t, 2> reply{static_cast<std::uint8_t>(busy ? 1 : 0), 0};
            return ReplyWith(reply, request);
        }
        case ChipCommand::LoadRomEraseSequence:
            romEraseSequence_.emplace(request.dataOut.begin(), request.dataOut.end());
            return {true, static_cast<std::int32_t>(request.dataOut.size())};
        case ChipCommand::StartRomErase:
            if (romEraseSequence_ && RomCyclesMatch(*romEraseSequence_, true)) {
                flash_.EraseAll();
                romBusyLeft_ = personality_.romBusyReads;
                return {true, 0, false, {.chipErases = 1}};
            }
            return {true, 0};
        case ChipCommand::ProgramRom:
            if (RomCyclesMatch(request.cdb.subspan(3, 9), false)) {
                flash_.Program(0, request.dataOut);
                return {true, static_cast<std::int32_t>(request.dataOut.size()), false,
                        {.programmedBytes = request.dataOut.size()}};
            }
            return {true, static_cast<std::int32_t>(request.dataOut.size())};
        case ChipCommand::ReadRom:
            flash_.Read(LittleEndian(request.cdb.subspan(3, 4)), request.dataIn);
            return {true, static_cast<std::int32_t>(request.dataIn.size())};
        default: return unknown;
    }
}

}  // namespace kxt::emulator
