#pragma once

#include <cstdint>
#include <span>

#include "app/SharedWindowState.h"
#include "os/DevicePath.h"

// The KXT861's older way to be programmed: erase by 32 KB sectors, prove the erase,
// write 8 KB pieces and compare a full read-back, with progress on the window.
namespace kxt::app {

// Builds the image from the embedded KXT861 image and the given 128-byte
// configuration block and programs it. Only both switches on is offered; there
// is no image without embedded code, so a missing image fails before anything is
// sent.
bool ProgramKXT861BySectors(SharedWindowState& window, const os::DevicePath& path,
                           bool blockFromCaller, bool codeFromEmbedded,
                           std::span<const std::uint8_t, 128> block);

// Erases, checks, writes and verifies `image` from flash address 0; true when the
// flash reads back identical.
bool SectorProgram(SharedWindowState& window, const os::DevicePath& path,
                  std::span<const std::uint8_t> image);

// Reads whole pages of the process's transfer page size, one status dot per page;
// a last page that does not fit the destination is cut. True when every page was read.
bool ReadFlashWithStatus(SharedWindowState& window, const os::DevicePath& path,
                        std::uint32_t address, std::span<std::uint8_t> destination);

}  // namespace kxt::app
