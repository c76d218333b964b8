#pragma once

#include <cstdint>
#include <span>

#include "device/KXT850Layout.h"
#include "os/Platform.h"

// Building the whole flash image of a current chip and writing it with proof.
namespace kxt::device {

inline constexpr std::size_t kKXT861ConfigBlockSize = 128;

// Assembles the KXT850 image (embedded code, the given configuration block, a
// fresh checksum), programs it and reads it back. False when there is nothing
// sound to write (no embedded image, a device read that fails) or when
// programming fails after every attempt; any error inside gives false.
bool ProgramKXT850Image(const os::Platform& p, const os::DevicePath& path, bool blockFromCaller,
                        bool codeFromEmbedded,
                        std::span<const std::uint8_t, kxt850::kConfigBlockSize> block);

// Builds the KXT861 image over the device's own flash: the given configuration
// block at 0, the embedded code from 0x80 (what lies beyond it stays as read), and
// programs it with proof. The device's flash is the base, so that switch must be
// on; without embedded code the device's own code is written back. A missing
// embedded image, or a first read that fails, writes nothing.
bool ProgramKXT861Image(const os::Platform& p, const os::DevicePath& path, bool blockFromCaller,
                        bool codeFromEmbedded,
                        std::span<const std::uint8_t, kKXT861ConfigBlockSize> block);

}  // namespace kxt::device
