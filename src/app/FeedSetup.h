// Which feed the built-in host reads: the watch's settings, overridden by the command line.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "app/CommandLine.h"
#include "builtin_host/BuiltinHost.h"
#include "feeds/Feed.h"
#include "platform/Result.h"
#include "qt/DisplayPacer.h"
#include "qt_host/MapView.h"
#include "watch_settings/Feed.h"

namespace app {

// The settings' feed with the command line's choices laid over them. An empty replay
// file means the demo traffic beside the executable.
watch_settings::FeedSettings EffectiveFeed(watch_settings::FeedSettings fromHost,
                                           const CommandLine& options,
                                           const std::string& programFolder);

// Whether a replay file can be read; the problem ("it is a folder", the system's reason) when
// not.
platform::Result<void> ReplayFileReadable(const std::string& file);

// The transport for those settings, reading on the network loop. `callsign` logs in to
// APRS-IS.
std::unique_ptr<feeds::Feed> MakeFeed(const watch_settings::FeedSettings& feed,
                                      const std::string& callsign, const std::string& version,
                                      feeds::Loops loops);

// The feed's lines to the host, its state to the log and the map's title; headless, the end
// of the traffic closes the host.
void StartFeed(feeds::Feed& feed, builtin_host::BuiltinHost& host, bool headless,
               qt_host::MapView* map, qt::DisplayPacer* pacer);

}  // namespace app
