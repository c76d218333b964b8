#pragma once

#include <cstdint>
#include <span>

#include "device/FlashTypes.h"
#include "device/VendorCommands.h"

// Host-side questions to the serial flash behind a bridge.
namespace kxt::device {

// Sends the SPI opcode and collects the flash's reply; true only if both succeed.
bool QuerySpi(const os::Platform& p, const DevicePath& path, std::uint8_t opcode,
              std::span<std::uint8_t> buffer);

// The erase layout of an AMIC part by its JEDEC id, kNotAmicLayout for anything else
// (transport failures included).
AmicLayout ReadAmicLayout(const os::Platform& p, const DevicePath& path);

// Probes the flash maker with up to six questions. A failing JEDEC query ends the
// probe with success and type 0; nothing recognised at all gives false.
bool IdentifySerialFlash(const os::Platform& p, const DevicePath& path, FlashType& type);

}  // namespace kxt::device
