#pragma once

#include <array>
#include <cstdint>

#include "device/CommandBlock.h"

// The bridge's command blocks as data, one row per command, so they can be checked
// against the datasheet at a glance. Bytes not given are zero; the fields say where
// the caller's values go.
namespace kxt::device::wire {

enum class Direction : std::uint8_t { In, Out };
enum class Endian : std::uint8_t { Big, Little };

// A value placed into the command block; width 0 means the command has no such field.
struct Field {
    std::uint8_t offset = 0;
    std::uint8_t width = 0;
    Endian endian = Endian::Big;
};

struct CommandLayout {
    CommandBlock fixed;
    Direction direction;
    Field address{};
    Field length{};     // DF family: the data length, equal to the transfer length
    Field parameter{};  // a one-byte argument (SPI opcode, write mode)
};

constexpr Field kNone{};

// clang-format off
//                                                   fixed bytes 0..11                                              dir              address          length           parameter
inline constexpr CommandLayout kInquiry              {{0x12, 0x00, 0x00, 0x00, 0x00},                                 Direction::In,  kNone,           {4, 1},          kNone};
inline constexpr CommandLayout kReadFirmwareIdentity {{0xE0, 0xF4, 0xE7},                                             Direction::In};
inline constexpr CommandLayout kReadLegacyChipId     {{0xDF, 0x10, 0x00, 0x00, 0x02, 0, 0, 0, 0, 0, 0, 0xFF},         Direction::In};
inline constexpr CommandLayout kReadChipInfo         {{0xFF, 0x04, 0x30, 0x08},                                       Direction::In};
inline constexpr CommandLayout kReadXdata            {{0xDF, 0x10, 0x00, 0x00, 0x00, 0, 0, 0, 0, 0, 0, 0xFD},         Direction::In,  {6, 2},          {3, 2},          kNone};
inline constexpr CommandLayout kReadFlashBlock       {{0xDF, 0x10, 0x00, 0x00, 0x00, 0, 0, 0, 0, 0, 0, 0xFA},         Direction::In,  {8, 3},          {3, 2},          kNone};
inline constexpr CommandLayout kWriteFlashBlock      {{0xDF, 0x00, 0x00, 0x00, 0x00, 0, 0, 0, 0, 0, 0, 0xFB},         Direction::Out, {8, 3},          {3, 2},          {1, 1}};
inline constexpr CommandLayout kEnableVendorMode     {{0xFF, 0x04, 0x4B, 0x58, 0x55},                                 Direction::Out};
inline constexpr CommandLayout kDisableVendorMode    {{0xFF, 0x04, 0x4B, 0x58, 0xAA},                                 Direction::Out};
inline constexpr CommandLayout kResetChip            {{0xFF, 0x04, 0x26, 0x4B, 0x58},                                 Direction::In};
inline constexpr CommandLayout kPrepareUpdate        {{0xFF, 0x04, 0x25},                                             Direction::Out};
inline constexpr CommandLayout kReadFlash            {{0xFF, 0x04, 0x10},                                             Direction::In,  {3, 3},          kNone,           kNone};
inline constexpr CommandLayout kWriteFlash           {{0xFF, 0x04, 0x11},                                             Direction::Out, {3, 3},          kNone,           kNone};
inline constexpr CommandLayout kReadFlashStatus      {{0xFF, 0x04, 0x12},                                             Direction::In};
inline constexpr CommandLayout kEraseFlashChip       {{0xFF, 0x04, 0x13},                                             Direction::Out};
inline constexpr CommandLayout kEraseFlashSector     {{0xFF, 0x04, 0x14},                                             Direction::Out, {3, 3},          kNone,           kNone};
inline constexpr CommandLayout kSendSpiOpcode        {{0xFF, 0x04, 0x20, 0x01, 0x01},                                 Direction::In,  kNone,           kNone,           {5, 1}};
inline constexpr CommandLayout kReadSpiResponse      {{0xFF, 0x04, 0x21},                                             Direction::In};
inline constexpr CommandLayout kReadSpiSignature     {{0xFF, 0x04, 0x15, 0x03},                                       Direction::In,  kNone,           kNone,           {4, 1}};
inline constexpr CommandLayout kReadFlashType        {{0xFF, 0x04, 0x23, 0x04},                                       Direction::In};
inline constexpr CommandLayout kSwitchToInternalRom  {{0xFF, 0x04, 0x05},                                             Direction::Out};
inline constexpr CommandLayout kIsRomBusy            {{0xFF, 0x04, 0x00},                                             Direction::In};
inline constexpr CommandLayout kStartRomErase        {{0xFF, 0x04, 0x01},                                             Direction::Out};
inline constexpr CommandLayout kLoadRomEraseSequence {{0xFF, 0x04, 0x04},                                             Direction::Out};
inline constexpr CommandLayout kProgramRom           {{0xFF, 0x04, 0x02},                                             Direction::Out};
inline constexpr CommandLayout kReadRom              {{0xFF, 0x04, 0x03},                                             Direction::In,  {3, 4, Endian::Little}, kNone,    kNone};
// clang-format on

// `ReadSpiSignature` carries this in byte 5 when its flag is set.
inline constexpr std::uint8_t kSpiSignatureFlagOffset = 5;
inline constexpr std::uint8_t kSpiSignatureFlagValue = 0x03;

// `WriteFlashBlock` keeps bits 0-2 (erase type) and bit 7 of the write mode.
inline constexpr std::uint8_t kWriteModeMask = 0x87;

// The DF family's 16-bit length field bounds its transfers.
inline constexpr std::size_t kMaxDfTransfer = 0xFFFF;

// Bus cycles of the internal-ROM family's parallel flash parts, by `ParallelFlashType`:
// k little-endian 16-bit addresses followed by the k data bytes, in cycle order.
struct ParallelFlashCycles {
    std::array<std::uint8_t, 9> program;  // command bytes 3..11 of ProgramRom
    std::array<std::uint8_t, 18> erase;   // data of LoadRomEraseSequence
};

// clang-format off
inline constexpr std::array<ParallelFlashCycles, 3> kParallelFlashCycles{{
    // 0 "ATMELAT 49BV512": 0x5555, 0x2AAA
    {{0x55, 0x55, 0xAA, 0x2A, 0x55, 0x55, 0xAA, 0x55, 0xA0},
     {0x55, 0x55, 0xAA, 0x2A, 0x55, 0x55, 0x55, 0x55, 0xAA, 0x2A, 0x55, 0x55, 0xAA, 0x55, 0x80, 0xAA, 0x55, 0x10}},
    // 1 "PMC OM39LV512": 0x0555, 0x02AA
    {{0x55, 0x05, 0xAA, 0x02, 0x55, 0x05, 0xAA, 0x55, 0xA0},
     {0x55, 0x05, 0xAA, 0x02, 0x55, 0x05, 0x55, 0x05, 0xAA, 0x02, 0x55, 0x05, 0xAA, 0x55, 0x80, 0xAA, 0x55, 0x10}},
    // 2 "SST SST39LF512": as ATMEL
    {{0x55, 0x55, 0xAA, 0x2A, 0x55, 0x55, 0xAA, 0x55, 0xA0},
     {0x55, 0x55, 0xAA, 0x2A, 0x55, 0x55, 0x55, 0x55, 0xAA, 0x2A, 0x55, 0x55, 0xAA, 0x55, 0x80, 0xAA, 0x55, 0x10}},
}};
// clang-format on

}  // namespace kxt::device::wire
