// Which feed the built-in host reads: the watch's settings, overridden by the command line.
// Plain C++, for both homes' programs.
#pragma once

#include <string>

#include "app/CommandLine.h"
#include "watch_settings/Feed.h"

namespace app {

// The settings' feed with the command line's choices laid over them. An empty replay
// file means the demo traffic beside the executable.
watch_settings::FeedSettings EffectiveFeed(watch_settings::FeedSettings fromHost,
                                           const CommandLine& options,
                                           const std::string& programFolder);

}  // namespace app
