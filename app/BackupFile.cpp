#include "app/BackupFile.h"

#include <algorithm>

#include "app/OlderPathTexts.h"

namespace kxt::app {

std::filesystem::path ChooseBackupFile(SharedWindowState& window) {
    if (!window.BackupFileEdit.text.empty()) {
        return window.BackupFileEdit.text;
    }
    window.GetPlatform().ui.ShowMessage(texts::kDefaultBackupNotice, texts::kMessageCaption,
                                        os::MessageIcon::None);
    return texts::kDefaultBackupFile;
}

std::filesystem::path BackupFolder(const SharedWindowState& window) {
    std::filesystem::path folder = std::filesystem::path(window.BackupFileEdit.text).parent_path();
    if (!folder.empty()) {
        return folder;
    }
    std::error_code error;
    folder = std::filesystem::current_path(error);
    return error ? std::filesystem::path(".") : folder;
}

bool AllErased(std::span<const std::uint8_t> bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t byte) { return byte == 0xFF; });
}

}  // namespace kxt::app
