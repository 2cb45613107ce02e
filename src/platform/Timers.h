// One-shot timers on the UI thread, kept by the front end's event loop: what the core's outlets
// wait with (a command's time limit, a retry, a checkpoint) without a toolkit of their own.
#pragma once

#include <cstdint>
#include <functional>

namespace platform {

class Timers {
public:
    using Id = std::uint64_t;
    virtual ~Timers() = default;
    // `then` runs on the UI thread once `ms` have passed, unless cancelled before. Never 0.
    virtual Id After(int ms, std::function<void()> then) = 0;
    // A timer that has run or was cancelled already is no fault.
    virtual void Cancel(Id id) = 0;
};

// A timer that is cancelled when it goes: one at a time, started again as often as needed.
class OneTimer {
public:
    explicit OneTimer(Timers& timers) : timers_(timers) {}
    ~OneTimer() { Stop(); }
    OneTimer(const OneTimer&) = delete;
    OneTimer& operator=(const OneTimer&) = delete;

    // Replaces a timer still waiting.
    void Start(int ms, std::function<void()> then) {
        Stop();
        id_ = timers_.After(ms, [this, then = std::move(then)] {
            id_ = 0;
            then();
        });
    }
    void Stop() {
        if (id_ != 0) timers_.Cancel(id_);
        id_ = 0;
    }
    bool Active() const { return id_ != 0; }

private:
    Timers& timers_;
    Timers::Id id_ = 0;
};

// A timer that runs `then` every `ms` until stopped or gone.
class RepeatingTimer {
public:
    explicit RepeatingTimer(Timers& timers) : timer_(timers) {}

    void Start(int ms, std::function<void()> then) {
        ms_ = ms;
        then_ = std::move(then);
        Next();
    }
    void Stop() { timer_.Stop(); }

private:
    void Next() {
        timer_.Start(ms_, [this] {
            Next();  // first: `then_` may stop it
            then_();
        });
    }

    OneTimer timer_;
    int ms_ = 0;
    std::function<void()> then_;
};

}  // namespace platform
