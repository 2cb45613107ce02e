// The silence policy over the feed's watchdog.
#include "qt_host/FeedSilence.h"

#include <memory>

#include "platform/Log.h"

namespace qt_host {

std::unique_ptr<FeedWatch> WatchFeed(feeds::Feed& feed, std::int64_t limit_s,
                                     incidents::Stream& events, MapView* map,
                                     platform::Sound& sound, std::string sirenFile,
                                     FeedWatch::EpochClock clock) {
    auto watch = std::make_unique<FeedWatch>(feed, limit_s, std::move(clock));
    watch->onSilent = [&feed, &events, map, &sound, siren = std::move(sirenFile)](
                          std::int64_t silent_s, std::int64_t last_s) {
        events.Emit(incidents::FeedSilent{feed.Describe(), silent_s, last_s});
        if (map != nullptr) sound.Play(siren);
    };
    // A link that is down is said at once and stays said over the silence's count.
    auto down = std::make_shared<std::string>();
    watch->onStillSilent = [&feed, map, w = watch.get(), down](std::int64_t silent_s) {
        if (map != nullptr && down->empty())
            map->SetWarning(
                SilenceWarningText(QString::fromStdString(feed.Describe()), *w, silent_s));
    };
    feed.SetLinkHandler([&feed, &events, map, down](bool up, const std::string& reason) {
        const std::string& name = feed.Describe();
        if (up) {
            down->clear();
            events.Emit(incidents::FeedUp{name});
        } else {
            *down = name + " is down: " + reason;
            platform::LogLine(platform::Level::Warning) << *down;
            events.Emit(incidents::FeedDown{name, reason});
        }
        if (map != nullptr) map->SetWarning(QString::fromStdString(*down));
    });
    watch->onBack = [&feed, &events, map] {
        events.Emit(incidents::FeedBack{feed.Describe()});
        if (map != nullptr) map->SetWarning({});
    };
    return watch;
}

}  // namespace qt_host
