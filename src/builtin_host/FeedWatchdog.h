// Silence on the feed is an alarm of its own: a watcher that stops hearing must say so.
// Times are whole seconds on any steady scale the caller chooses (Unix time in the program).
#pragma once

#include <cstdint>

namespace builtin_host {

class FeedWatchdog {
public:
    enum class Change { None, Silent, Back };

    // The feed counts as heard at `start_s`, so a feed that never connects turns silent one
    // limit later. A limit of 0 never turns silent.
    FeedWatchdog(std::int64_t limit_s, std::int64_t start_s);

    // Anything at all arrived (a frame, a server comment, a byte of KISS).
    Change Heard(std::int64_t now_s);
    // Silent once the limit is reached; nothing else changes the state.
    Change Check(std::int64_t now_s);

    bool Silent() const { return silent_; }
    std::int64_t LastHeard() const { return lastHeard_s_; }
    std::int64_t Limit() const { return limit_s_; }

private:
    std::int64_t limit_s_;
    std::int64_t lastHeard_s_;
    bool silent_ = false;
};

}  // namespace builtin_host
