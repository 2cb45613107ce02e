// Sirenwatch's own settings, kept in the host's settings file beside the station program's
// (the [Sirenwatch Host] and [Watch] sections): the feed, how long it may be quiet, the
// emergency command, the days of log kept, the map tiles, the dashboard and its token, and the
// watch list. Read and checked here once; each default is written here once.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "builtin_host/HostSettings.h"
#include "incidents/WatchList.h"
#include "platform/Result.h"
#include "watch_settings/Addresses.h"
#include "watch_settings/Feed.h"
#include "watch_settings/MqttSettings.h"

namespace watch_settings {

struct WatchSettings {
    FeedSettings feed;
    // Minutes without anything heard before the feed counts as silent; none: the feed's
    // default, 0: never.
    std::optional<double> silenceMinutes;
    // A command run for each new emergency (split into words, no shell); empty: none.
    std::string onEmergency;
    // Days of incident log kept; older day files are removed. 0: all kept.
    int incidentDays = 90;
    // Online map tiles over the base map: a URL template with {z}, {x} and {y}, and the
    // credit the tile server asks to be shown; empty: no tiles (also when unusable).
    std::string tileUrl;
    std::string tileAttribution;
    // The dashboard: "[ADDRESS:]PORT" to serve it on, empty: none; and the access token that
    // lets it listen beyond loopback and that every action needs.
    std::string dashboard;
    std::string dashboardToken;
    // The [Watch] section as it holds: what cannot be read is left out.
    incidents::WatchList watchList;
    // What could not be read as written (or should not stay as it is), key by key: the
    // [Sirenwatch Host] section's, then the [Watch] section's.
    std::vector<builtin_host::SettingNote> notes;
    std::vector<std::string> watchListNotes;
    // The MQTT broker the events are published on, when one is set.
    MqttSettings mqtt;
};

// The settings of a host folder. Missing values take the defaults above; an unreadable one is
// noted with the value used in its place. A token in a file others can read is noted too.
WatchSettings LoadWatchSettings(const std::string& hostFolder);
// Writes the [Sirenwatch Host] keys (the [Watch] section is edited by hand). False when the
// file could not be written.
bool SaveWatchSettings(const std::string& hostFolder, const WatchSettings& settings);

// Whether a tile server's URL template can be used: http or https, a host, and {z}, {x}, {y}.
bool UsableTileTemplate(std::string_view urlTemplate);

// What a first start writes: the demo traffic, replayed, and a filter around the demo's home.
WatchSettings FirstRunSettings(const std::string& demoFile);

// The shortest DashboardToken accepted beyond loopback, as the server holds it too.
constexpr std::size_t kMinRemoteTokenChars = 16;

// Where the dashboard is to listen: the command line's place, else the settings' one; nothing
// when none is asked for, a problem when what is asked for cannot be used.
platform::Result<std::optional<Endpoint>> DashboardPlace(
    const std::optional<Endpoint>& fromCommandLine, const WatchSettings& settings);

// What to say about the access token kept in `file` with these permissions, read by its owner
// or not: nothing when no other user can read it. A reader that is not the owner reads through
// the file's group (the service's own group), so only others matter then.
std::optional<std::string> ExposedTokenNote(const std::string& file, std::filesystem::perms mode,
                                            bool readerOwnsFile);

}  // namespace watch_settings
