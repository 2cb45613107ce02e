// Reading and writing the built-in host's settings file.
#include "builtin_host/HostSettings.h"

#include <charconv>
#include <cmath>

#include "geo/Coordinates.h"
#include "host/HostPorts.h"
#include "platform/NumberText.h"
#include "platform/Paths.h"
#include "settings/ProfileFile.h"

namespace builtin_host {
namespace {

constexpr char kStation[] = "Station";
constexpr char kSetUp[] = "SetUp";

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

std::uint16_t ParsePort(const std::string& text, std::uint16_t fallback) {
    unsigned value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value == 0 || value > 65535) {
        return fallback;
    }
    return static_cast<std::uint16_t>(value);
}

bool ParseBool(const std::string& text, bool fallback) {
    const std::string t = Lower(text);
    if (t == "1" || t == "true" || t == "yes" || t == "on") return true;
    if (t == "0" || t == "false" || t == "no" || t == "off") return false;
    return fallback;
}

std::string ScaleText(float scale) {
    char buffer[32];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, scale);
    return ec == std::errc() ? std::string(buffer, end) : std::string("50");
}

std::string MinutesText(double minutes) {
    char buffer[32];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, minutes);
    return ec == std::errc() ? std::string(buffer, end) : std::string();
}

// A serial line's speed in bits per second; the fallback for anything else.
std::int32_t ParseBaud(const std::string& text, std::int32_t fallback) {
    std::int32_t value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < 50) return fallback;
    return value;
}

// Minutes as a plain non-negative number; nothing for empty or unusable text.
std::optional<double> ParseMinutes(const std::string& text) {
    if (text.empty()) return std::nullopt;
    double value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value) ||
        value < 0) {
        return std::nullopt;
    }
    return value;
}

// Returns the value, or the fallback when the key is absent or empty.
std::string ReadOr(const std::string& file, const char* key, const std::string& fallback) {
    std::string value = settings::ReadProfileString(file, kHostSection, key, 1024);
    return value.empty() ? fallback : value;
}

}  // namespace

std::optional<FeedSource> ParseFeedSource(std::string_view text) {
    const std::string t = Lower(text);
    if (t == "replay") return FeedSource::Replay;
    if (t == "kiss") return FeedSource::Kiss;
    if (t == "aprs-is") return FeedSource::AprsIs;
    if (t == "stdin") return FeedSource::Stdin;
    if (t == "agwpe") return FeedSource::Agwpe;
    if (t == "serial") return FeedSource::Serial;
    return std::nullopt;
}

std::string FeedSourceText(FeedSource source) {
    switch (source) {
        case FeedSource::Kiss:
            return "kiss";
        case FeedSource::AprsIs:
            return "aprs-is";
        case FeedSource::Stdin:
            return "stdin";
        case FeedSource::Agwpe:
            return "agwpe";
        case FeedSource::Serial:
            return "serial";
        case FeedSource::Replay:
            break;
    }
    return "replay";
}

std::string HostIniPath(const std::string& folder) {
    if (folder.empty()) return host::kSettingsFileName;
    const char last = folder.back();
    if (last == '/' || last == platform::kPathSeparator) return folder + host::kSettingsFileName;
    return platform::JoinPath(folder, host::kSettingsFileName);
}

HostSettings LoadHostSettings(const std::string& folder) {
    const std::string file = HostIniPath(folder);
    HostSettings s;
    s.callsign = settings::ReadProfileString(file, kStation, "Callsign");
    s.latitudeText = settings::ReadProfileString(file, kStation, "Latitude");
    s.longitudeText = settings::ReadProfileString(file, kStation, "Longitude");
    s.programVersion = settings::ReadProfileString(file, kSetUp, "PROGRAM_VERSION");

    FeedSettings& f = s.feed;
    const FeedSettings defaults;
    f.source = ParseFeedSource(ReadOr(file, "Source", "")).value_or(defaults.source);
    f.replayFile = ReadOr(file, "ReplayFile", defaults.replayFile);
    f.fast = ParseBool(ReadOr(file, "Fast", ""), defaults.fast);
    f.kissHost = ReadOr(file, "KissHost", defaults.kissHost);
    f.kissPort = ParsePort(ReadOr(file, "KissPort", ""), defaults.kissPort);
    f.aprsIsHost = ReadOr(file, "AprsIsHost", defaults.aprsIsHost);
    f.aprsIsPort = ParsePort(ReadOr(file, "AprsIsPort", ""), defaults.aprsIsPort);
    f.filter = ReadOr(file, "Filter", defaults.filter);
    f.agwpeHost = ReadOr(file, "AgwpeHost", defaults.agwpeHost);
    f.agwpePort = ParsePort(ReadOr(file, "AgwpePort", ""), defaults.agwpePort);
    f.serialDevice = ReadOr(file, "SerialDevice", defaults.serialDevice);
    f.serialBaud = ParseBaud(ReadOr(file, "SerialBaud", ""), defaults.serialBaud);

    const double scale = platform::Val(ReadOr(file, "MapScale", ""));
    if (std::isfinite(scale) && scale > 0 && scale < 1e9) s.mapScale = static_cast<float>(scale);
    s.silenceMinutes = ParseMinutes(ReadOr(file, "SilenceMinutes", ""));
    s.onEmergency = ReadOr(file, "OnEmergency", "");
    const auto days = ParseMinutes(ReadOr(file, "IncidentDays", ""));  // a plain count
    if (days && *days < 1e6) s.incidentDays = static_cast<int>(*days);
    s.tileUrl = ReadOr(file, "TileUrl", "");
    s.tileAttribution = ReadOr(file, "TileAttribution", "");
    s.watch.ignore = settings::ReadProfileString(file, "Watch", "Ignore", 4096);
    s.watch.alarmRadiusKm = settings::ReadProfileString(file, "Watch", "AlarmRadiusKm");
    s.watch.alarmArea = settings::ReadProfileString(file, "Watch", "AlarmArea", 4096);
    s.dashboard = ReadOr(file, "Dashboard", "");
    s.dashboardToken = ReadOr(file, "DashboardToken", "");
    return s;
}

bool SaveHostSettings(const std::string& folder, const HostSettings& s) {
    const std::string file = HostIniPath(folder);
    const FeedSettings& f = s.feed;
    const std::pair<const char*, std::string> feedKeys[] = {
        {"Source", FeedSourceText(f.source)},
        {"ReplayFile", f.replayFile},
        {"Fast", f.fast ? "1" : "0"},
        {"KissHost", f.kissHost},
        {"KissPort", std::to_string(f.kissPort)},
        {"AprsIsHost", f.aprsIsHost},
        {"AprsIsPort", std::to_string(f.aprsIsPort)},
        {"Filter", f.filter},
        {"AgwpeHost", f.agwpeHost},
        {"AgwpePort", std::to_string(f.agwpePort)},
        {"SerialDevice", f.serialDevice},
        {"SerialBaud", std::to_string(f.serialBaud)},
        {"MapScale", ScaleText(s.mapScale)},
        {"SilenceMinutes", s.silenceMinutes ? MinutesText(*s.silenceMinutes) : ""},
        {"OnEmergency", s.onEmergency},
        {"IncidentDays", std::to_string(s.incidentDays)},
        {"TileUrl", s.tileUrl},
        {"TileAttribution", s.tileAttribution},
        {"Dashboard", s.dashboard},
        {"DashboardToken", s.dashboardToken},
    };
    bool ok = settings::WriteProfileString(file, kStation, "Callsign", s.callsign) &&
              settings::WriteProfileString(file, kStation, "Latitude", s.latitudeText) &&
              settings::WriteProfileString(file, kStation, "Longitude", s.longitudeText) &&
              settings::WriteProfileString(file, kSetUp, "PROGRAM_VERSION", s.programVersion);
    for (const auto& [key, value] : feedKeys) {
        ok = ok && settings::WriteProfileString(file, kHostSection, key, value);
    }
    return ok;
}

std::optional<HomePosition> HomeFromSettings(const HostSettings& settings) {
    const auto lat = geo::ParseCompactCoordinate(settings.latitudeText, false);
    const auto lon = geo::ParseCompactCoordinate(settings.longitudeText, true);
    if (!lat || !lon) return std::nullopt;
    return HomePosition{*lat, *lon};
}

}  // namespace builtin_host
