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

    bool verbose = false;
};

}  // namespace kxt::cli
