// Reading, checking and writing Sirenwatch's own settings in the host's settings file.
#include "watch_settings/WatchSettings.h"

#include <sys/stat.h>
#ifndef _WIN32
#include <unistd.h>
#endif

#include <charconv>
#include <cmath>
#include <cstdio>
#include <utility>

#include "settings/ProfileFile.h"

namespace watch_settings {
namespace {

using builtin_host::kHostSection;
using builtin_host::SettingNote;

constexpr char kWatchSection[] = "Watch";

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
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

// Reads Sirenwatch's section; a value that is there but cannot be read is noted with what is
// used in its place.
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
        if (const auto port = ParsePort(text)) return *port;
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

// The feed's silence limit and the days of log kept.
void ReadLimits(const SectionReader& read, WatchSettings& s) {
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

void ReadWatchList(const std::string& file, WatchSettings& s) {
    auto parsed = incidents::ParseWatchList(
        settings::ReadProfileString(file, kWatchSection, "Ignore", 4096),
        settings::ReadProfileString(file, kWatchSection, "AlarmRadiusKm"),
        settings::ReadProfileString(file, kWatchSection, "AlarmArea", 4096));
    s.watchList = std::move(parsed.list);
    s.watchListNotes = std::move(parsed.problems);
}

// A token others can read lets them act on the dashboard: told, with the command that mends
// it, but the file's mode is the user's to change.
void CheckTokenFile([[maybe_unused]] const std::string& file, [[maybe_unused]] WatchSettings& s) {
#ifndef _WIN32  // Windows keeps who may read a file in its access lists, not in a mode
    struct stat status {};
    if (s.dashboardToken.empty() || ::stat(file.c_str(), &status) != 0) return;
    const auto perms = static_cast<std::filesystem::perms>(status.st_mode & 07777);
    if (auto note = ExposedTokenNote(file, perms, status.st_uid == ::geteuid()))
        s.notes.push_back({"DashboardToken", std::move(*note), false});
#endif
}

std::string ShellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string ModeText(std::filesystem::perms perms) {
    char text[8];
    std::snprintf(text, sizeof text, "%04o", static_cast<unsigned>(perms) & 0777u);
    return text;
}

}  // namespace

WatchSettings LoadWatchSettings(const std::string& hostFolder) {
    const std::string file = builtin_host::HostIniPath(hostFolder);
    WatchSettings s;
    const SectionReader read(file, s.notes);
    ReadFeed(read, s.feed);
    ReadLimits(read, s);
    s.onEmergency = read.Text("OnEmergency");
    s.tileUrl = read.Text("TileUrl");
    if (!s.tileUrl.empty() && !UsableTileTemplate(s.tileUrl)) {
        read.Note("TileUrl", s.tileUrl, "is not an http(s) address with {z}, {x} and {y}",
                  "no tiles are shown");
        s.tileUrl.clear();
    }
    s.tileAttribution = read.Text("TileAttribution");
    s.dashboard = read.Text("Dashboard");
    s.dashboardToken = read.Text("DashboardToken");
    s.mqtt = LoadMqttSettings(file, s.notes);
    ReadWatchList(file, s);
    CheckTokenFile(file, s);
    return s;
}

bool SaveWatchSettings(const std::string& hostFolder, const WatchSettings& s) {
    const std::string file = builtin_host::HostIniPath(hostFolder);
    const FeedSettings& f = s.feed;
    const std::pair<const char*, std::string> keys[] = {
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
        {"SilenceMinutes", s.silenceMinutes ? MinutesText(*s.silenceMinutes) : ""},
        {"OnEmergency", s.onEmergency},
        {"IncidentDays", std::to_string(s.incidentDays)},
        {"TileUrl", s.tileUrl},
        {"TileAttribution", s.tileAttribution},
        {"Dashboard", s.dashboard},
        {"DashboardToken", s.dashboardToken},
    };
    bool ok = true;
    for (const auto& [key, value] : keys)
        ok = ok && settings::WriteProfileString(file, kHostSection, key, value);
    return ok;
}

bool UsableTileTemplate(std::string_view url) {
    const std::string lower = Lower(url.substr(0, 8));
    const std::size_t scheme = lower.starts_with("https://")  ? 8
                               : lower.starts_with("http://") ? 7
                                                              : 0;
    if (scheme == 0 || scheme == url.size() || url[scheme] == '/') return false;
    for (const char c : url) {
        if (static_cast<unsigned char>(c) <= ' ' || c == 0x7f) return false;
    }
    return url.find("{z}") != std::string_view::npos && url.find("{x}") != std::string_view::npos &&
           url.find("{y}") != std::string_view::npos;
}

WatchSettings FirstRunSettings(const std::string& demoFile) {
    WatchSettings s;
    s.feed.source = FeedSource::Replay;
    s.feed.replayFile = demoFile;
    s.feed.filter = "r/45.50/9.21/50";
    return s;
}

platform::Result<std::optional<Endpoint>> DashboardPlace(
    const std::optional<Endpoint>& fromCommandLine, const WatchSettings& settings) {
    std::optional<Endpoint> where = fromCommandLine;
    const std::string from = fromCommandLine ? "--dashboard" : "Dashboard in the host's settings";
    if (!where && !settings.dashboard.empty()) {
        where = ParseListenAddress(settings.dashboard);
        if (!where)
            return platform::Fail(from + ": expected [ADDRESS:]PORT, got \"" + settings.dashboard +
                                  "\"");
    }
    if (!where) return where;
    const std::optional<bool> loopback = IsLoopback(where->host);
    if (!loopback) return platform::Fail(from + ": not an IP address: " + where->host);
    if (!*loopback && settings.dashboardToken.empty())
        return platform::Fail(from + ": the dashboard listens beyond this machine (" + where->host +
                              ") only with DashboardToken set in the host's settings");
    // A short token is guessed in no time by anyone who can reach the port.
    if (!*loopback && settings.dashboardToken.size() < kMinRemoteTokenChars)
        return platform::Fail(from + ": the dashboard listens beyond this machine (" + where->host +
                              ") only with a DashboardToken of at least " +
                              std::to_string(kMinRemoteTokenChars) + " characters (" +
                              std::to_string(settings.dashboardToken.size()) + " set)");
    return where;
}

std::optional<std::string> ExposedTokenNote(const std::string& file, std::filesystem::perms mode,
                                            bool readerOwnsFile) {
    namespace fs = std::filesystem;
    const bool others = (mode & fs::perms::others_read) != fs::perms::none;
    const bool group = readerOwnsFile && (mode & fs::perms::group_read) != fs::perms::none;
    if (!others && !group) return std::nullopt;
    return std::string("DashboardToken is kept in ") + file + ", which " +
           (others ? "every user of this machine" : "the file's group") + " can read (mode " +
           ModeText(mode) + "); to keep the token secret, run: chmod " +
           (readerOwnsFile ? "600 " : "o-rwx ") + ShellQuoted(file);
}

}  // namespace watch_settings
