// Feeding the watchdog from a feed and a one-second timer.
#include "watch/FeedWatch.h"

#include <chrono>
#include <cstdio>
#include <exception>

#include "platform/Log.h"
#include "platform/TimeText.h"

namespace watch {
namespace {

// A watchdog's listener failing must not stop the watchdog.
template <typename Call>
void Safely(Call call) {
    try {
        call();
    } catch (const std::exception& e) {
        platform::LogLine(platform::Level::Error) << "the feed's watchdog: " << e.what();
    }
}

// "85 s", "15 min 05 s", "2 h 03 min": to the second while that still means something.
std::string Duration(std::int64_t s) {
    char text[48];
    if (s < 120)
        std::snprintf(text, sizeof text, "%lld s", static_cast<long long>(s));
    else if (s < 3600)
        std::snprintf(text, sizeof text, "%lld min %02lld s", static_cast<long long>(s / 60),
                      static_cast<long long>(s % 60));
    else
        std::snprintf(text, sizeof text, "%lld h %02lld min", static_cast<long long>(s / 3600),
                      static_cast<long long>(s / 60 % 60));
    return text;
}

}  // namespace

std::int64_t FeedWatch::SystemSeconds() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

FeedWatch::FeedWatch(feeds::Feed& feed, std::int64_t limit_s, platform::Timers& timers,
                     EpochClock clock)
    : clock_(std::move(clock)), dog_(limit_s, clock_()), timer_(timers) {
    feed.SetActivityHandler([this] { Heard(); });
    if (limit_s > 0) timer_.Start(1000, [this] { Tick(); });
}

void FeedWatch::Heard() {
    heardAnything_ = true;
    if (dog_.Heard(clock_()) == builtin_host::FeedWatchdog::Change::Back && onBack) Safely(onBack);
}

void FeedWatch::Tick() {
    const std::int64_t now = clock_();
    const std::int64_t last = dog_.LastHeard();
    if (dog_.Check(now) == builtin_host::FeedWatchdog::Change::Silent && onSilent)
        Safely([&] { onSilent(now - last, last); });
    if (dog_.Silent() && onStillSilent) Safely([&] { onStillSilent(now - last); });
}

std::string SilenceWarningText(const std::string& feed, const FeedWatch& watch,
                               std::int64_t silent_s) {
    if (!watch.HeardAnything())
        return "Nothing heard on " + feed + " since start (" + Duration(silent_s) + ")";
    return feed + " silent for " + Duration(silent_s) + ", last heard " +
           platform::LocalTimeText(watch.Watchdog().LastHeard(), "%H:%M:%S");
}

}  // namespace watch
