#pragma once

#include <cstdint>
#include <span>

#include "os/Platform.h"

// The bridge's command set: one function per command block, each one request
// through the pass-through. Every function returns the pass-through's result; a
// value that does not fit its field (a DF transfer over 65,535 bytes, an address
// beyond 24 bits) is refused with false before anything is sent. The commands that
// change flash also refuse, sending nothing, when ProgrammingAllowed is false.
namespace kxt::device {

using os::DevicePath;

// The parallel flash part of the internal-ROM family: 0 "ATMELAT 49BV512",
// 1 "PMC OM39LV512", 2 "SST SST39LF512"; other values send all-zero cycles.
using ParallelFlashType = int;

bool Inquiry(const os::Platform& p, const DevicePath& path, std::span<std::uint8_t> buffer);
bool ReadFirmwareIdentity(const os::Platform& p, const DevicePath& path,
                          std::span<std::uint8_t> buffer, std::int32_t& transferred);
bool ReadLegacyChipId(const os::Platform& p, const DevicePath& path,
                      std::span<std::uint8_t, 2> buffer, std::int32_t& transferred);
// Needs at least 8 bytes of buffer; a shorter one is refused with false.
bool ReadChipInfo(const os::Platform& p, const DevicePath& path, std::span<std::uint8_t> buffer);
bool ReadXdata(const os::Platform& p, const DevicePath& path, std::uint16_t address,
               std::span<std::uint8_t> buffer);
bool ReadFlashBlock(const os::Platform& p, const DevicePath& path, std::uint32_t address,
                    std::span<std::uint8_t> buffer);
bool WriteFlashBlock(const os::Platform& p, const DevicePath& path, std::uint32_t address,
                     std::span<const std::uint8_t> data, std::uint8_t writeMode);
bool EnableVendorMode(const os::Platform& p, const DevicePath& path);
bool DisableVendorMode(const os::Platform& p, const DevicePath& path);
bool ResetChip(const os::Platform& p, const DevicePath& path);
bool PrepareUpdate(const os::Platform& p, const DevicePath& path);
bool ReadFlash(const os::Platform& p, const DevicePath& path, std::uint32_t address,
               std::span<std::uint8_t> buffer);
bool WriteFlash(const os::Platform& p, const DevicePath& path, std::uint32_t address,
                std::span<const std::uint8_t> data);
// Bit 0 of the status is set while the flash is busy.
bool ReadFlashStatus(const os::Platform& p, const DevicePath& path, std::uint8_t& status);
bool EraseFlashChip(const os::Platform& p, const DevicePath& path);
bool EraseFlashSector(const os::Platform& p, const DevicePath& path, std::uint32_t address);
bool SendSpiOpcode(const os::Platform& p, const DevicePath& path, std::uint8_t opcode);
bool ReadSpiResponse(const os::Platform& p, const DevicePath& path, std::span<std::uint8_t> buffer);
bool ReadSpiSignature(const os::Platform& p, const DevicePath& path,
                      std::span<std::uint8_t, 3> buffer, std::uint8_t opcode, bool flag);
bool ReadFlashType(const os::Platform& p, const DevicePath& path, std::span<std::uint8_t, 4> buffer);
bool SwitchToInternalRom(const os::Platform& p, const DevicePath& path);
// True (busy) when the request fails or the status byte is 1.
bool IsRomBusy(const os::Platform& p, const DevicePath& path);
bool StartRomErase(const os::Platform& p, const DevicePath& path);
bool LoadRomEraseSequence(const os::Platform& p, const DevicePath& path, ParallelFlashType type);
bool ProgramRom(const os::Platform& p, const DevicePath& path, std::span<const std::uint8_t> data,
                ParallelFlashType type);
bool ReadRom(const os::Platform& p, const DevicePath& path, std::uint32_t address,
             std::span<std::uint8_t> buffer);

}  // namespace kxt::device
