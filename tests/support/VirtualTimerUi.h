#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <optional>

#include "os/UiServices.h"

namespace kxt::testing {

// User-interface services whose one-shot timers run on virtual time. Advance()
// delivers every timer that falls due, earliest first, to the given handler, as
// the window's message loop would; timers set by the handler count as well.
class VirtualTimerUi final : public os::UiServices {
  public:
    using Milliseconds = std::chrono::milliseconds;
    using TimerHandler = std::function<void(int id)>;

    void ShowMessage(std::string_view, std::string_view, os::MessageIcon) override {}
    void ProcessPendingMessages() override {}
    void DebugTrace(std::string_view) override {}
    void SetTimer(int id, Milliseconds delay) override { deadlines_[id] = now_ + delay; }
    void KillTimer(int id) override { deadlines_.erase(id); }
    std::optional<std::string> ChooseOpenFile(const std::string&, std::string_view) override {
        return std::nullopt;
    }

    void Advance(Milliseconds duration, const TimerHandler& deliver) {
        const Milliseconds end = now_ + duration;
        while (auto due = NextDue(end)) {
            now_ = due->second;
            deadlines_.erase(due->first);
            deliver(due->first);
        }
        now_ = end;
    }

    Milliseconds Now() const { return now_; }
    // When the timer will fire, if it is armed.
    std::optional<Milliseconds> Deadline(int id) const {
        const auto it = deadlines_.find(id);
        return it == deadlines_.end() ? std::nullopt : std::optional(it->second);
    }

  private:
    std::optional<std::pair<int, Milliseconds>> NextDue(Milliseconds end) const {
        std::optional<std::pair<int, Milliseconds>> next;
        for (const auto& [id, deadline] : deadlines_) {
            if (deadline <= end && (!next || deadline < next->second)) {
                next = {id, deadline};
            }
        }
        return next;
    }

    Milliseconds now_{0};
    std::map<int, Milliseconds> deadlines_;
};

}  // namespace kxt::testing
