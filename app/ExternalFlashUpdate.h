#pragma once

#include <cstdint>

#include "app/SharedWindowState.h"
#include "os/DevicePath.h"

// The older bridges that run from an external serial or parallel flash (chip
// classes 1, 3, 4, 6 and 7): update from the embedded "FW719" image page by page,
// erase only, or back the flash up to a file. Every outcome is written to the
// status field; the functions return 1 for success and 0 for failure.
namespace kxt::app {

// With "RD Version" checked, erase-only or backup-only when those are chosen;
// otherwise erases, blank-checks, writes and verifies the image.
int UpdateExternalFlash(SharedWindowState& window, const os::DevicePath& path);

// Erases FirmwareSize bytes page by page and checks that they read back erased.
int EraseExternalFlash(SharedWindowState& window, const os::DevicePath& path);

// Saves FirmwareSize bytes of flash into the backup file.
int BackupExternalFlash(SharedWindowState& window, const os::DevicePath& path);

// One sector-erase command at every multiple of TransferPageSize below `length`,
// one status dot per page. Fails when a command fails or no page was erased.
int EraseFlashPages(SharedWindowState& window, const os::DevicePath& path, std::uint32_t length);

}  // namespace kxt::app
