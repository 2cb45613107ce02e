// The feed's transport for the watch's settings, the same on both homes: each reads on the
// network loop and hands its lines to the UI thread through the loop's queue.
#pragma once

#include <memory>
#include <string>

#include "feeds/Feed.h"
#include "watch_settings/Feed.h"

namespace watch {

// The transport for those settings. `callsign` logs in to APRS-IS.
std::unique_ptr<feeds::Feed> MakeFeed(const watch_settings::FeedSettings& feed,
                                      const std::string& callsign, const std::string& version,
                                      feeds::Loops loops);

}  // namespace watch
