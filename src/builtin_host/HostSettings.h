// The built-in host's settings file "Uiview32.INI" in its install folder: the home station
// the add-on reads, the version it checks, and the host's own feed and map settings.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "builtin_host/StationList.h"
#include "host/HostPorts.h"

namespace builtin_host {

inline constexpr char kHostSection[] = "Sirenwatch Host";

enum class FeedSource { Replay, Kiss, AprsIs, Stdin, Agwpe, Serial };

// "replay", "kiss", "aprs-is", "stdin", "agwpe", "serial" (any case); nothing for other text.
std::optional<FeedSource> ParseFeedSource(std::string_view text);
std::string FeedSourceText(FeedSource source);

struct FeedSettings {
    FeedSource source = FeedSource::Replay;
    std::string replayFile;
    bool fast = false;  // replay without waiting between lines
    std::string kissHost = "127.0.0.1";
    std::uint16_t kissPort = 8001;
    std::string aprsIsHost = "rotate.aprs2.net";
    std::uint16_t aprsIsPort = 14580;
    std::string filter;  // APRS-IS server filter, e.g. "r/45.50/9.21/50"
    std::string agwpeHost = "127.0.0.1";
    std::uint16_t agwpePort = 8000;
    std::string serialDevice = "/dev/ttyUSB0";  // a KISS TNC on a serial line
    std::int32_t serialBaud = 9600;
};

// The watch list's values as written in the file's [Watch] section (Ignore, AlarmRadiusKm,
// AlarmArea); the incidents layer reads them. Edited by hand: they are not saved back.
struct WatchSettingsText {
    std::string ignore;
    std::string alarmRadiusKm;
    std::string alarmArea;
};

// A value of the file that could not be taken as written: what is wrong with it and what is
// used instead, or that no value would be safe in its place.
struct SettingNote {
    std::string key;  // as the file spells it, "KissPort"
    std::string text;
    bool refusesStart = false;
};

struct HostSettings {
    std::string callsign;
    std::string latitudeText;   // compact form, "4530.25N"
    std::string longitudeText;  // compact form, "00912.34E"
    std::string programVersion = host::kLowestVersionText;
    FeedSettings feed;
    // The map's scale as the add-on reads it (GetScale): its circles get a radius of
    // mapScale / 25 minutes of arc. The map view opens this many kilometres wide.
    float mapScale = 50;
    // Minutes without anything heard before the feed counts as silent; none: the feed's
    // default, 0: never.
    std::optional<double> silenceMinutes;
    // A command run for each new emergency (split into words, no shell); empty: none.
    std::string onEmergency;
    // Days of incident log kept; older day files are removed. 0: all kept.
    int incidentDays = 90;
    // Online map tiles over the base map: a URL template with {z}, {x} and {y}, and the
    // credit the tile server asks to be shown; empty: no tiles.
    std::string tileUrl;
    std::string tileAttribution;
    // The dashboard: "[ADDRESS:]PORT" to serve it on, empty: none; and the access token that
    // lets it listen beyond loopback and that every action needs.
    std::string dashboard;
    std::string dashboardToken;
    WatchSettingsText watch;
    // What could not be read as written, key by key (the [Watch] section is read elsewhere).
    std::vector<SettingNote> notes;
};

// The settings file of a host folder. The folder is stored with a trailing separator (the
// add-on appends the file name directly); one is added here when it is missing.
std::string HostIniPath(const std::string& folder);

// Missing values take the defaults of HostSettings (except the station keys, which stay empty
// as they are in the file); an unreadable one is noted with the value used in its place.
HostSettings LoadHostSettings(const std::string& folder);
// False when the file could not be written.
bool SaveHostSettings(const std::string& folder, const HostSettings& settings);

// The home position from the station keys, when both parse.
std::optional<HomePosition> HomeFromSettings(const HostSettings& settings);

}  // namespace builtin_host
