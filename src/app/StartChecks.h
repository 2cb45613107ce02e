// The checks a start and --check share: what would keep the watch from starting, and what it
// starts with in place of a value it cannot use. One set, so --check never promises a start
// that then fails.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "builtin_host/HostSettings.h"
#include "platform/Paths.h"
#include "platform/Result.h"
#include "watch_settings/WatchSettings.h"

namespace app {

struct Finding {
    std::string text;
    bool refusesStart = false;
    bool onCommandLine = false;  // the command line asked for what cannot work
};

// What a start reads before it checks anything.
struct StartSettings {
    platform::FileLayout layout;
    std::string hostFolder;
    bool hostIniMissing = false;          // the host's folder has no settings file to read
    builtin_host::HostSettings host;      // the station program's: home, version, map scale
    watch_settings::WatchSettings watch;  // Sirenwatch's own
    watch_settings::FeedSettings feed;    // the settings', with the command line's choices over it
    std::string command;                  // the emergency command in force; empty: none
};

StartSettings ReadStartSettings(const CommandLine& options, const platform::FileLayout& layout,
                                const std::string& hostFolder, bool hostIniMissing);

// Whether the data folder (the incident log's) can be written or made; the problem in the
// system's words when not. Writes nothing.
platform::Result<void> DataFolderWritable(const std::string& folder);

// Everything a start checks before it watches, in the order it would meet them.
std::vector<Finding> CheckStart(const CommandLine& options, const StartSettings& s);

// The exit code of a start refused for these findings: 2 when the command line asked for
// something that cannot work, 1 otherwise; 0 when nothing refuses.
int RefusalCode(const std::vector<Finding>& findings);

// The emergency command's problem in the words a start and a re-read use.
std::optional<std::string> CommandFinding(const std::string& command, bool onCommandLine);

// Tells what the start's checks found; the exit code when one of them refuses the start.
std::optional<int> TellFindings(const std::vector<Finding>& findings);

}  // namespace app
