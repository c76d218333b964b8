#include "app/SharedWindowState.h"

#include <algorithm>

namespace kxt::app {
namespace {

constexpr int kFullProgress = 100;

}  // namespace

SharedWindowState::SharedWindowState(const os::Platform& platform, ProcessSettings& settings)
    : platform_(platform), settings_(settings) {}

void SharedWindowState::AdvanceProgress(int step) {
    if (!FwUpdatBar.shown) {
        return;
    }
    FwUpdatBar.position = std::min(FwUpdatBar.position + step, kFullProgress);
    Redraw();
}

void SharedWindowState::SetStatus(std::string text) {
    StatusEdit.text = std::move(text);
    Redraw();
}

void SharedWindowState::AppendStatus(std::string_view text) {
    StatusEdit.text += text;
    Redraw();
}

void SharedWindowState::LetPendingMessagesThrough() { platform_.ui.ProcessPendingMessages(); }

void SharedWindowState::Redraw() {
    if (observer_ != nullptr) {
        observer_->Redraw(*this);
    }
}

}  // namespace kxt::app
