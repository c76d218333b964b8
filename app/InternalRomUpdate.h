#pragma once

#include "app/SharedWindowState.h"
#include "device/VendorCommands.h"
#include "os/DevicePath.h"

// The bridges that boot from an internal ROM and keep their firmware in a 64 KB
// parallel flash (chip classes 2 and 18): the host supplies the flash part's
// command cycles with each erase and program command. Every outcome is written
// to the status field; the functions return 1 for success and 0 for failure.
namespace kxt::app {

// Switches the chip to its internal ROM (unless "A1 Chip" is checked), then
// erases only, backs up only, or erases and programs the embedded "FW719" image
// and compares it.
int UpdateInternalRom(SharedWindowState& window, const os::DevicePath& path,
                      device::ParallelFlashType type);

// Erases the whole flash and checks that it reads back erased.
int EraseInternalRom(SharedWindowState& window, const os::DevicePath& path,
                     device::ParallelFlashType type);

// Saves the 64 KB flash into the backup file.
int BackupInternalRom(SharedWindowState& window, const os::DevicePath& path);

// Polls the busy status without pauses: true as soon as the chip is idle, false
// after 50,000 polls that all found it busy.
bool WaitRomIdle(const os::Platform& p, const os::DevicePath& path);

}  // namespace kxt::app
