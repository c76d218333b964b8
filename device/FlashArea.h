#pragma once

#include <cstdint>
#include <span>

#include "device/EraseSelection.h"
#include "device/VendorCommands.h"

// Whole flash areas moved with the block commands, a chunk of at most TransferChunk
// bytes per command. An area travels as its length rounded up to a multiple of 512.
namespace kxt::device {

// Reads destination.size() bytes of flash from `address`; true when every chunk was
// read. The destination is filled also after a failure: what was not read arrives as
// zero. An empty destination, or an area beyond the 24-bit flash address space, gives
// false without a command.
bool ReadFlashArea(const os::Platform& p, const DevicePath& path, std::uint32_t address,
                   std::span<std::uint8_t> destination);

// Writes the source at `address` with the erase types that `mode` and the flash type
// call for, the bytes between the source's end and the rounded length as zero; true
// when every chunk was accepted. Stops at the first refused chunk. An empty source, or
// an area beyond the 24-bit flash address space, gives false without a command.
bool WriteFlashArea(const os::Platform& p, const DevicePath& path, std::uint32_t address,
                    std::span<const std::uint8_t> source, EraseMode mode, FlashType type);

}  // namespace kxt::device
