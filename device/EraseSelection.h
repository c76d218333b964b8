#pragma once

#include <array>
#include <cstdint>

#include "device/FlashTypes.h"

// Which erase each block write of an area asks the bridge firmware for.
namespace kxt::device {

// The largest data length of one block read or block write.
inline constexpr std::uint32_t TransferChunk = 8192;

// The erase strategy of one program attempt. Modes 5 and 4 act like 2 and 1, modes 6
// and 7 like 3, anything above 7 like 0.
using EraseMode = std::uint8_t;
inline constexpr EraseMode kNoErase = 0;
inline constexpr EraseMode kEraseSmallBlocks = 1;
inline constexpr EraseMode kEraseLargeBlocks = 2;
inline constexpr EraseMode kEraseWholeFlash = 3;  // with the chunk at flash address 0

// Erase-block sizes of the flash parts, indexed by FlashType.
// clang-format off
//                                                           Unknown  PMC     SST     ST/EON/MXIC ATMEL    MXIC     WINBOND  AMIC     EON      ESMT     SANYO
inline constexpr std::array<std::uint32_t, kMaxFlashType + 1> LargeEraseBlock{
                                                             0x8000,  0x8000, 0x8000, 0x10000,    0x10000, 0x10000, 0x10000, 0x10000, 0x10000, 0x10000, 0x10000};
inline constexpr std::array<std::uint32_t, kMaxFlashType + 1> SmallEraseBlock{
                                                             0x1000,  0x1000, 0x1000, 0x8000,     0x8000,  0x1000,  0x1000,  0x1000,  0x8000,  0x1000,  0x1000};
// clang-format on

// The erase type of the chunk at `address`: `mode` on the first chunk of each erase
// block (modes 1, 2, 4, 5) or on the chunk at address 0 (modes 3, 6, 7), else 0.
// Shortens `chunk` so that it ends at the next erase-block boundary, and counts the
// erase blocks the area has opened in `boundaryCounter` (0 at the start of an area).
// A flash type above 10 uses the sizes of type 0.
std::uint8_t SelectEraseType(std::uint32_t address, std::uint32_t& chunk, EraseMode mode,
                             std::uint32_t& boundaryCounter, FlashType type);

}  // namespace kxt::device
