// What silence on the feed does: an event for the incidents, and with a map window a warning
// band on the map and the siren once; the band goes when traffic comes back. A link that goes
// down is told at once, apart from silence: an event, a journal warning and the band.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "incidents/Events.h"
#include "platform/Timers.h"
#include "watch/FeedWatch.h"

namespace watch {

// What a window shows of the feed's health; both empty when headless.
struct SilenceOutlets {
    std::function<void(const std::string& text)> warn;  // the band's text; empty removes it
    std::function<void()> siren;
};

// Watches the feed for silence longer than limit_s (0: never).
std::unique_ptr<FeedWatch> WatchFeed(feeds::Feed& feed, std::int64_t limit_s,
                                     incidents::Stream& events, platform::Timers& timers,
                                     SilenceOutlets outlets,
                                     FeedWatch::EpochClock clock = FeedWatch::SystemSeconds);

}  // namespace watch
