#pragma once

#include "device/VendorCommands.h"

namespace kxt::device {

// A late KXT861 silicon revision: internal memory byte 0xFDB1 is 0xB4 or more.
bool IsLateRevision(const os::Platform& p, const DevicePath& path);

// The bridge firmware offers the block commands: internal memory 0x505F..0x5060
// read 00 01.
bool SupportsBlockProgramming(const os::Platform& p, const DevicePath& path);

}  // namespace kxt::device
