#pragma once

#include <string>

#include "app/WindowObserver.h"

namespace kxt::cli {

// Draws what changes during an update on standard error: the progress bar, and
// the status field when it holds a new text.
class TerminalView final : public app::WindowObserver {
public:
    explicit TerminalView(bool interactive) : interactive_(interactive) {}
    ~TerminalView() override;
    void Redraw(const app::WindowControls& controls) override;

private:
    bool interactive_;
    int lastPosition_ = -1;
    bool barDrawn_ = false;
};

// A window text without the blanks that centre it in the window's label.
std::string Trimmed(const std::string& text);

// The message the window shows now: the re-plug label when it is up, else the main label.
std::string WindowMessage(const app::WindowControls& controls);

}  // namespace kxt::cli
