// What silence on the feed does: an event for the incidents, and with a map window a warning
// band on the map and the siren once; the band goes when traffic comes back. A link that goes
// down is told at once, apart from silence: an event, a journal warning and the band.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "incidents/Events.h"
#include "platform/Ports.h"
#include "qt_host/FeedWatch.h"
#include "qt_host/MapView.h"

namespace qt_host {

// Watches the feed for silence longer than limit_s (0: never); map may be null (headless).
std::unique_ptr<FeedWatch> WatchFeed(feeds::Feed& feed, std::int64_t limit_s,
                                     incidents::Stream& events, MapView* map,
                                     platform::Sound& sound, std::string sirenFile,
                                     FeedWatch::EpochClock clock = FeedWatch::SystemSeconds);

}  // namespace qt_host
