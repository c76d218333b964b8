#pragma once

#include "app/TK71xFwTool.h"
#include "os/Platform.h"

namespace kxt::cli {

// Prints the listed devices (number, display name, chip, firmware version, path)
// by running the readiness check on each in turn; item 0 stays selected.
void PrintListedDevices(app::TK71xFwTool& window);

// Warnings a scan can leave: devices left out of the table, devices refused for
// lack of permission.
void PrintScanWarnings(const app::TK71xFwTool& window, const os::Platform& platform);

}  // namespace kxt::cli
