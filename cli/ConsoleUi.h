#pragma once

#include "os/UiServices.h"

namespace kxt::cli {

// Message boxes become lines on standard error; the command line has no event
// loop, so pending messages and timers have nothing to do.
class ConsoleUi final : public os::UiServices {
public:
    void ShowMessage(std::string_view text, std::string_view caption, os::MessageIcon icon) override;
    void ProcessPendingMessages() override {}
    void DebugTrace(std::string_view text) override;
    void SetTimer(int, std::chrono::milliseconds) override {}
    void KillTimer(int) override {}
    // The command line takes file names as options; it has no dialog.
    std::optional<std::string> ChooseOpenFile(const std::string&, std::string_view) override {
        return std::nullopt;
    }

    bool verbose = false;
};

}  // namespace kxt::cli
