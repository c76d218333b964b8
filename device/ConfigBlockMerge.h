#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

// Which bytes of a device's configuration block survive an update: the merge
// tables cover the first 128 bytes of a block; an entry below 256 gives the byte to
// the new firmware's default block, kDeviceKeeps leaves it to the device.
namespace kxt::device {

inline constexpr std::size_t kMergedBytes = 128;
inline constexpr std::int32_t kDeviceKeeps = 0xFFF;

using MergeTable = std::array<std::int32_t, kMergedBytes>;

namespace merge_detail {

// One row per byte that the new firmware supplies for at least one family; every
// byte not listed stays the device's in both.
struct Row {
    std::size_t byte;
    std::int32_t kxt861;
    std::int32_t kxt850;
};

// clang-format off
inline constexpr std::array<Row, 23> kRows{{
    // byte  KXT861       KXT850
    {   4,   0x00,        0x00        },
    {   5,   0x01,        0x01        },
    {   9,   0x01,        0x01        },
    {  11,   0x00,        0x00        },
    {  13,   0x03,        kDeviceKeeps},
    {  46,   0x00,        kDeviceKeeps},
    {  47,   0x32,        0x30        },
    {  49,   0x03,        kDeviceKeeps},
    {  81,   0x00,        0x00        },
    {  82,   0x7B,        0x7B        },
    {  83,   0x02,        0x02        },
    {  85,   0x03,        0x03        },
    { 117,   0x00,        0x00        },
    { 118,   0xFF,        0x00        },
    { 119,   0x41,        0x00        },
    { 120,   0xFF,        0x00        },
    { 121,   0xFF,        0x00        },
    { 122,   0x00,        0x00        },
    { 123,   0x01,        0x00        },
    { 124,   0x31,        0x00        },
    { 125,   0xB0,        0x00        },
    { 126,   0x4B,        0x00        },  // 'K'
    { 127,   0x58,        0x00        },  // 'X'
}};
// clang-format on

constexpr MergeTable MakeTable(std::int32_t Row::*column) {
    MergeTable table{};
    table.fill(kDeviceKeeps);
    for (const Row& row : kRows) {
        table[row.byte] = row.*column;
    }
    return table;
}

}  // namespace merge_detail

// The 128-byte KXT861 block.
inline constexpr MergeTable KXT861MergeTable = merge_detail::MakeTable(&merge_detail::Row::kxt861);
// The first 128 bytes of the 256-byte KXT850 block; bytes 128-255 are always the device's.
inline constexpr MergeTable KXT850MergeTable = merge_detail::MakeTable(&merge_detail::Row::kxt850);

// Overwrites each device byte among the first 128 whose table entry is below 256
// with the new block's byte; nothing beyond byte 127 (nor beyond either block) changes.
void MergeConfigBlock(std::span<std::uint8_t> deviceBlock, std::span<const std::uint8_t> newBlock,
                      const MergeTable& table);

}  // namespace kxt::device
