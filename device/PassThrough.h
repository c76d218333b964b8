#pragma once

#include <cstdint>
#include <span>

#include "device/CommandBlock.h"
#include "os/ScsiPassThrough.h"

namespace kxt::device {

// The only place where a command block reaches a device. Each call opens the
// device, submits one request, closes the device and then judges the result:
// true when the platform completed the request without an error code. The SCSI
// status is not examined; callers judge replies by their signatures.
//
// Transfers of 0 to 3 bytes pass through a 4-byte staging buffer, and a one-byte
// transfer is sent as two bytes (bridges reject odd single-byte phases). When the
// open fails, neither the buffer nor `transferred` is touched.

// Data from the device: shared open, 20 s timeout.
bool PassThroughIn(os::ScsiPassThrough& scsi, const os::DevicePath& path, const CommandBlock& block,
                   std::span<std::uint8_t> buffer, std::int32_t& transferred);

// Data to the device, or no data: exclusive open, 10 s timeout (100 s for the
// whole-chip erase, whose byte 2 is 0x13).
bool PassThroughOut(os::ScsiPassThrough& scsi, const os::DevicePath& path, const CommandBlock& block,
                    std::span<const std::uint8_t> buffer, std::int32_t& transferred);

}  // namespace kxt::device
