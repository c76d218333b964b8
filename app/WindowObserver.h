#pragma once

#include "app/WindowControls.h"

namespace kxt::app {

// Told whenever the window should be drawn again at once (a progress step, a new
// status text, the end of a handler). It receives a copy-ready view of the
// controls on the thread that runs the handler.
class WindowObserver {
public:
    virtual ~WindowObserver() = default;
    virtual void Redraw(const WindowControls& controls) = 0;
};

}  // namespace kxt::app
