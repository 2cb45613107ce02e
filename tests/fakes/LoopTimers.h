// The timers port on a loop of the test's own, in real time: RunUntil runs the timers as they
// fall due until a condition holds or a bound passes, looking every few milliseconds.
#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <thread>
#include <utility>

#include "platform/Timers.h"

namespace fakes {

class LoopTimers final : public platform::Timers {
public:
    using Clock = std::chrono::steady_clock;

    Id After(int ms, std::function<void()> then) override {
        const Id id = next_++;
        waiting_.emplace(id,
                         std::pair(Clock::now() + std::chrono::milliseconds(ms), std::move(then)));
        return id;
    }
    void Cancel(Id id) override { waiting_.erase(id); }

    // True when `done` held before `bound_ms` passed.
    bool RunUntil(const std::function<bool()>& done, int bound_ms) {
        const auto until = Clock::now() + std::chrono::milliseconds(bound_ms);
        while (!done()) {
            if (Clock::now() >= until) return false;
            RunDue();
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return true;
    }
    std::size_t Waiting() const { return waiting_.size(); }

private:
    void RunDue() {
        for (auto it = waiting_.begin(); it != waiting_.end();) {
            if (it->second.first > Clock::now()) {
                ++it;
                continue;
            }
            auto then = std::move(it->second.second);
            waiting_.erase(it);
            then();  // may start or cancel timers: look again from the start
            it = waiting_.begin();
        }
    }

    Id next_ = 1;
    std::map<Id, std::pair<Clock::time_point, std::function<void()>>> waiting_;
};

}  // namespace fakes
