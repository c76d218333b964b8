#include "cli/TerminalView.h"

#include <iostream>

namespace kxt::cli {
namespace {

constexpr int kBarWidth = 40;

}  // namespace

TerminalView::~TerminalView() {
    if (barDrawn_) std::cerr << '\n';
}

void TerminalView::Redraw(const app::WindowControls& controls) {
    const int position = controls.FwUpdatBar.shown ? controls.FwUpdatBar.position : -1;
    if (position < 0 && barDrawn_) {
        // The bar is gone: end its line before anything else is printed.
        std::cerr << '\n';
        barDrawn_ = false;
    }
    if (position < 0 || position == lastPosition_) {
        return;
    }
    lastPosition_ = position;
    if (!interactive_) {
        std::cerr << "progress: " << position << "%\n";
        return;
    }
    const int filled = position * kBarWidth / 100;
    std::cerr << "\rupdating [" << std::string(static_cast<std::size_t>(filled), '#')
              << std::string(static_cast<std::size_t>(kBarWidth - filled), '.') << "] " << position
              << "%" << std::flush;
    barDrawn_ = true;
}

std::string Trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(' ');
    const std::size_t last = text.find_last_not_of(' ');
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

std::string WindowMessage(const app::WindowControls& controls) {
    return Trimmed(controls.replugLable1.shown ? controls.replugLable1.text : controls.devLable.text);
}

}  // namespace kxt::cli
