#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace kxt::os {

enum class MessageIcon { None, Error };

// What the core needs of the user interface: message boxes with an OK button,
// letting pending window events through during long work, a debug trace, the
// one-shot rescan timer and the file-open dialog of the engineering panel.
class UiServices {
public:
    virtual ~UiServices() = default;
    virtual void ShowMessage(std::string_view text, std::string_view caption, MessageIcon icon) = 0;
    virtual void ProcessPendingMessages() = 0;
    virtual void DebugTrace(std::string_view text) = 0;
    virtual void SetTimer(int id, std::chrono::milliseconds delay) = 0;
    virtual void KillTimer(int id) = 0;
    // A file-open dialog; `filter` reads "Name|*.ext|Name|*.*", an empty folder
    // means the program's own. The chosen file, or none when the user cancels.
    virtual std::optional<std::string> ChooseOpenFile(const std::string& initialFolder,
                                                      std::string_view filter) = 0;
};

}  // namespace kxt::os
