// The executable's command line: which feed the built-in host takes its traffic from,
// headless mode, --help and --version. Plain C++ so it can be parsed before Qt starts; the
// addresses and their default ports are the settings' own (watch_settings/).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Result.h"
#include "watch_settings/Addresses.h"
#include "watch_settings/Feed.h"

namespace app {

using watch_settings::Endpoint;
using watch_settings::FeedSource;
using watch_settings::SerialLine;

struct CommandLine {
    std::optional<FeedSource> feed;     // nothing: the feed of the settings
    Endpoint endpoint;                  // --kiss / --aprs-is / --agwpe
    SerialLine serial;                  // --serial
    std::string replayFile;             // --replay
    bool fast = false;                  // --fast: a replay without pacing
    std::optional<std::string> filter;  // --filter: APRS-IS server filter
    std::optional<std::string> call;    // --call: APRS-IS login callsign
    bool headless = false;
    bool host = false;  // --host: the built-in host with the feed of the settings (Windows)
    bool json = false;  // --json: events as JSON objects on standard output
    std::optional<std::string> exportFile;   // --export: the incident log as GPX or KML
    std::optional<std::string> since;        // --since: only what happened from then on
    std::optional<std::string> onEmergency;  // --on-emergency: a command for each new one
    std::optional<Endpoint> dashboard;       // --dashboard: where the web page is served
    std::optional<std::string> mqtt;         // --mqtt: the broker the events are published on
    bool check = false;                      // --check: the settings checked and shown, no watch
    bool help = false;
    bool version = false;
};

// The arguments after the program name. Options take their value as the next argument or
// after "=" ("--kiss=127.0.0.1:8001"). A problem, the first mistake, when the command line is
// unusable.
platform::Result<CommandLine> ParseCommandLine(const std::vector<std::string>& args);

// The --help text.
std::string UsageText(std::string_view program);

}  // namespace app
