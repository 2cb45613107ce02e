// Reading and writing the built-in host's settings file.
#include "builtin_host/HostSettings.h"

#include <charconv>
#include <cmath>
#include <utility>

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

// A whole number written as nothing but its digits, within [lowest, highest].
std::optional<std::int64_t> WholeNumber(const std::string& text, std::int64_t lowest,
                                        std::int64_t highest) {
    std::int64_t value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < lowest || value > highest)
        return std::nullopt;
    return value;
}

// Minutes as a plain non-negative number; nothing for unusable text.
std::optional<double> ParseMinutes(const std::string& text) {
    double value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value) ||
        value < 0) {
        return std::nullopt;
    }
    return value;
}

// Reads the host's own section; a value that is there but cannot be read is noted with what
// is used in its place.
class SectionReader {
public:
    SectionReader(std::string file, std::vector<SettingNote>& notes)
        : file_(std::move(file)), notes_(notes) {}

    // The value, or the fallback when the key is absent or empty.
    std::string Text(const char* key, const std::string& fallback = "") const {
        std::string value = settings::ReadProfileString(file_, kHostSection, key, 1024);
        return value.empty() ? fallback : value;
    }
    std::uint16_t Port(const char* key, std::uint16_t fallback) const {
        const std::string text = Text(key);
        if (text.empty()) return fallback;
        if (const auto port = WholeNumber(text, 1, 65535)) return static_cast<std::uint16_t>(*port);
        Note(key, text, "is not a port (1 to 65535)", std::to_string(fallback) + " is used");
        return fallback;
    }
    bool Flag(const char* key, bool fallback) const {
        const std::string t = Lower(Text(key));
        if (t.empty()) return fallback;
        if (t == "1" || t == "true" || t == "yes" || t == "on") return true;
        if (t == "0" || t == "false" || t == "no" || t == "off") return false;
        Note(key, Text(key), "is not 1 or 0", std::string(fallback ? "1" : "0") + " is used");
        return fallback;
    }
    // A serial line's speed in bits per second.
    std::int32_t Baud(const char* key, std::int32_t fallback) const {
        const std::string text = Text(key);
        if (text.empty()) return fallback;
        if (const auto baud = WholeNumber(text, 50, 4000000))
            return static_cast<std::int32_t>(*baud);
        Note(key, text, "is not a speed in bits per second", std::to_string(fallback) + " is used");
        return fallback;
    }
    void Note(const char* key, const std::string& value, const std::string& why,
              const std::string& instead, bool refusesStart = false) const {
        notes_.push_back(
            {key, std::string(key) + ": \"" + value + "\" " + why + "; " + instead, refusesStart});
    }

private:
    std::string file_;
    std::vector<SettingNote>& notes_;
};

// The feed's source. A feed guessed in place of an unreadable one would watch other traffic
// than the operator believes, so that refuses the start.
FeedSource ReadSource(const SectionReader& read, FeedSource fallback) {
    const std::string text = read.Text("Source");
    if (text.empty()) return fallback;
    if (const auto source = ParseFeedSource(text)) return *source;
    read.Note("Source", text, "is not replay, kiss, agwpe, aprs-is, serial or stdin",
              "the watch does not start rather than watch another feed", true);
    return fallback;
}

void ReadFeed(const SectionReader& read, FeedSettings& f) {
    const FeedSettings defaults;
    f.source = ReadSource(read, defaults.source);
    f.replayFile = read.Text("ReplayFile", defaults.replayFile);
    f.fast = read.Flag("Fast", defaults.fast);
    f.kissHost = read.Text("KissHost", defaults.kissHost);
    f.kissPort = read.Port("KissPort", defaults.kissPort);
    f.aprsIsHost = read.Text("AprsIsHost", defaults.aprsIsHost);
    f.aprsIsPort = read.Port("AprsIsPort", defaults.aprsIsPort);
    f.filter = read.Text("Filter", defaults.filter);
    f.agwpeHost = read.Text("AgwpeHost", defaults.agwpeHost);
    f.agwpePort = read.Port("AgwpePort", defaults.agwpePort);
    f.serialDevice = read.Text("SerialDevice", defaults.serialDevice);
    f.serialBaud = read.Baud("SerialBaud", defaults.serialBaud);
}

// The map's scale, the feed's silence limit and the days of log kept.
void ReadWatchValues(const SectionReader& read, HostSettings& s) {
    if (const std::string text = read.Text("MapScale"); !text.empty()) {
        const double scale = platform::Val(text);
        if (std::isfinite(scale) && scale > 0 && scale < 1e9)
            s.mapScale = static_cast<float>(scale);
        else
            read.Note("MapScale", text, "is not a width in kilometres",
                      ScaleText(s.mapScale) + " is used");
    }
    if (const std::string text = read.Text("SilenceMinutes"); !text.empty()) {
        s.silenceMinutes = ParseMinutes(text);
        if (!s.silenceMinutes)
            read.Note("SilenceMinutes", text, "is not a number of minutes (0: never silent)",
                      "the feed's own limit is used");
    }
    // Removing logs on a value nobody meant is the one thing that cannot be undone.
    if (const std::string text = read.Text("IncidentDays"); !text.empty()) {
        const auto days = WholeNumber(text, 0, 1000000);
        s.incidentDays = days ? static_cast<int>(*days) : 0;
        if (!days)
            read.Note("IncidentDays", text, "is not a whole number of days (0: all)",
                      "every day is kept");
    }
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

    const SectionReader read(file, s.notes);
    ReadFeed(read, s.feed);
    ReadWatchValues(read, s);
    s.onEmergency = read.Text("OnEmergency");
    s.tileUrl = read.Text("TileUrl");
    s.tileAttribution = read.Text("TileAttribution");
    s.watch.ignore = settings::ReadProfileString(file, "Watch", "Ignore", 4096);
    s.watch.alarmRadiusKm = settings::ReadProfileString(file, "Watch", "AlarmRadiusKm");
    s.watch.alarmArea = settings::ReadProfileString(file, "Watch", "AlarmArea", 4096);
    s.dashboard = read.Text("Dashboard");
    s.dashboardToken = read.Text("DashboardToken");
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
