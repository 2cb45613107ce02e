// Which feed the built-in host reads: its own settings, overridden by the command line.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "app/CommandLine.h"
#include "builtin_host/HostSettings.h"
#include "qt_host/feeds/Feed.h"

namespace app {

// The host's feed settings with the command line's choices laid over them. An empty replay
// file means the demo traffic beside the executable.
builtin_host::FeedSettings EffectiveFeed(builtin_host::FeedSettings fromHost,
                                         const CommandLine& options,
                                         const std::string& programFolder);

// Why a replay file cannot be read ("it is a folder", the system's reason), or nothing.
std::optional<std::string> ReplayFileProblem(const std::string& file);

// The transport for those settings. `callsign` logs in to APRS-IS.
std::unique_ptr<qt_host::feeds::Feed> MakeFeed(const builtin_host::FeedSettings& feed,
                                               const std::string& callsign,
                                               const std::string& version);

}  // namespace app
