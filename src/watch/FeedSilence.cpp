// The silence policy over the feed's watchdog.
#include "watch/FeedSilence.h"

#include "platform/Log.h"

namespace watch {

std::unique_ptr<FeedWatch> WatchFeed(feeds::Feed& feed, std::int64_t limit_s,
                                     incidents::Stream& events, platform::Timers& timers,
                                     SilenceOutlets outlets, FeedWatch::EpochClock clock) {
    auto watch = std::make_unique<FeedWatch>(feed, limit_s, timers, std::move(clock));
    auto shared = std::make_shared<SilenceOutlets>(std::move(outlets));
    watch->onSilent = [&feed, &events, shared](std::int64_t silent_s, std::int64_t last_s) {
        events.Emit(incidents::FeedSilent{feed.Describe(), silent_s, last_s});
        if (shared->siren) shared->siren();
    };
    // A link that is down is said at once and stays said over the silence's count.
    auto down = std::make_shared<std::string>();
    watch->onStillSilent = [&feed, shared, w = watch.get(), down](std::int64_t silent_s) {
        if (shared->warn && down->empty())
            shared->warn(SilenceWarningText(feed.Describe(), *w, silent_s));
    };
    feed.SetLinkHandler([&feed, &events, shared, down](bool up, const std::string& reason) {
        const std::string& name = feed.Describe();
        if (up) {
            down->clear();
            events.Emit(incidents::FeedUp{name});
        } else {
            *down = name + " is down: " + reason;
            platform::LogLine(platform::Level::Warning) << *down;
            events.Emit(incidents::FeedDown{name, reason});
        }
        if (shared->warn) shared->warn(*down);
    });
    watch->onBack = [&feed, &events, shared] {
        events.Emit(incidents::FeedBack{feed.Describe()});
        if (shared->warn) shared->warn({});
    };
    return watch;
}

}  // namespace watch
