// Which feed the built-in host reads: the watch's settings, overridden by the command line.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "app/FeedOptions.h"
#include "builtin_host/BuiltinHost.h"
#include "feeds/Feed.h"
#include "platform/Result.h"
#include "qt/DisplayPacer.h"
#include "qt_host/MapView.h"
#include "watch/FeedChoice.h"
#include "watch_settings/Feed.h"

namespace app {

using watch::MakeFeed;

// Whether a replay file can be read; the problem ("it is a folder", the system's reason) when
// not.
platform::Result<void> ReplayFileReadable(const std::string& file);

// The feed's lines to the host, its state to the log and the map's title; headless, the end
// of the traffic closes the host.
void StartFeed(feeds::Feed& feed, builtin_host::BuiltinHost& host, bool headless,
               qt_host::MapView* map, qt::DisplayPacer* pacer);

}  // namespace app
