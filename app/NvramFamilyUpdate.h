#pragma once

#include "app/SharedWindowState.h"
#include "os/DevicePath.h"

namespace kxt::app {

// Updates a chip of the NVRAM family (class 6, revisions 1 and 2), whose first
// 4 KB of flash hold the device's own settings: those 4 KB are read, saved to a
// file beside the backups, and written back in front of the embedded image
// ("FW741A" or "FW741B"). Erases by 32 KB with a blank check, writes and verifies
// by 16 KB. A failure once erasing has begun names the saved file in the status
// field. Returns 1 for success, 0 for failure.
int UpdateNvramFamily(SharedWindowState& window, const os::DevicePath& path);

}  // namespace kxt::app
