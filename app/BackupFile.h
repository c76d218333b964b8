#pragma once

#include <cstdint>
#include <filesystem>
#include <span>

#include "app/SharedWindowState.h"

// Where the older paths put what they save from a device, and a test for flash
// that reads back erased.
namespace kxt::app {

// The file a backup goes to: the name in BackupFileEdit, or "oldflash.bak" in
// the current directory after a message box has told the user so.
std::filesystem::path ChooseBackupFile(SharedWindowState& window);

// The folder backups go to: the one of the name in BackupFileEdit, else the
// current directory.
std::filesystem::path BackupFolder(const SharedWindowState& window);

// True when every byte reads as erased flash (0xFF).
bool AllErased(std::span<const std::uint8_t> bytes);

}  // namespace kxt::app
