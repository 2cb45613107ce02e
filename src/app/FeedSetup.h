// The feed's lines to the built-in host, on the Qt loop.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "app/FeedOptions.h"
#include "builtin_host/BuiltinHost.h"
#include "feeds/Feed.h"
#include "qt/DisplayPacer.h"
#include "qt_host/MapView.h"
#include "watch/FeedChoice.h"
#include "watch_settings/Feed.h"

namespace app {

using watch::MakeFeed;

// The feed's lines to the host, its state to the log and the map's title; headless, the end
// of the traffic closes the host.
void StartFeed(feeds::Feed& feed, builtin_host::BuiltinHost& host, bool headless,
               qt_host::MapView* map, qt::DisplayPacer* pacer);

}  // namespace app
