// The silence watchdog: listens to a feed's activity (told on the UI thread) and checks the time
// once a second on the program's timers. The clock is Unix time in seconds, replaceable for
// tests.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "builtin_host/FeedWatchdog.h"
#include "feeds/Feed.h"
#include "platform/Timers.h"

namespace watch {

class FeedWatch final {
public:
    using EpochClock = std::function<std::int64_t()>;
    static std::int64_t SystemSeconds();

    // Starts counting at once; a limit of 0 never alarms.
    FeedWatch(feeds::Feed& feed, std::int64_t limit_s, platform::Timers& timers,
              EpochClock clock = SystemSeconds);

    // Silence: how long, and when anything was last heard (Unix seconds).
    std::function<void(std::int64_t silent_s, std::int64_t lastHeard_s)> onSilent;
    // Every check while the silence lasts, onSilent's first included: how long it is now.
    std::function<void(std::int64_t silent_s)> onStillSilent;
    std::function<void()> onBack;

    // One check against the clock; the timer calls it every second.
    void Tick();
    const builtin_host::FeedWatchdog& Watchdog() const { return dog_; }
    // Whether anything at all arrived since the start.
    bool HeardAnything() const { return heardAnything_; }

private:
    void Heard();

    EpochClock clock_;
    builtin_host::FeedWatchdog dog_;
    bool heardAnything_ = false;
    platform::RepeatingTimer timer_;
};

// The warning band's text, counting on: "KISS 127.0.0.1:8001 silent for 15 min 05 s, last
// heard 12:03:04" (local time), or "Nothing heard on KISS 127.0.0.1:8001 since start (2 min
// 00 s)" for a feed that never said anything.
std::string SilenceWarningText(const std::string& feed, const FeedWatch& watch,
                               std::int64_t silent_s);

}  // namespace watch
