// The configuration check: the same reading and the same checks as a start (StartChecks),
// with each value in force and where it came from. Writes nothing.
#include "app/SettingsCheck.h"

#include <charconv>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>

#include "app/MqttWiring.h"
#include "builtin_host/FeedWatchdog.h"
#include "builtin_host/HostSettings.h"
#include "builtin_host/HostSetup.h"
#include "dashboard/DashboardServer.h"
#include "host/HostPorts.h"
#include "platform/NumberText.h"
#include "platform/Paths.h"
#include "settings/IniUserStore.h"
#include "settings/ProfileFile.h"
#include "settings/StringTable.h"

namespace app {
namespace {

class Report {
public:
    Report(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}

    void Value(const std::string& name, const std::string& value, const std::string& from) {
        out_ << "  " << name << " = " << value;
        if (!from.empty()) out_ << "    (" << from << ")";
        out_ << '\n';
    }
    // Where a key's value comes from: the file when the key is set there, else the default.
    void Keyed(const std::string& file, const char* section, const char* key,
               const std::string& value, const char* otherwise = "default") {
        const bool set = !settings::ReadProfileString(file, section, key).empty();
        Value(key, value, set ? file + " [" + section + "]" : otherwise);
    }
    void Found(const Finding& finding) {
        err_ << "sirenwatch: " << (finding.refusesStart ? "" : "warning: ") << finding.text << '\n';
        ++(finding.refusesStart ? problems_ : warnings_);
    }
    int Problems() const { return problems_; }
    int Warnings() const { return warnings_; }

private:
    std::ostream& out_;
    std::ostream& err_;
    int problems_ = 0;
    int warnings_ = 0;
};

std::string Shortest(double value) {
    char buffer[32];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return ec == std::errc() ? std::string(buffer, end) : std::string("?");
}

bool Readable(const std::string& file) {
    std::error_code ec;
    return std::filesystem::is_regular_file(platform::FilePath(file), ec) &&
           std::ifstream(platform::FilePath(file), std::ios::binary).good();
}

// The add-on's own settings as a start takes them: the stored value, or the one it starts with.
void ShowAddOnSettings(const std::string& ini, const platform::Regional& regional, Report& r) {
    const auto stored = [&ini](const char* key) {
        return settings::ReadProfileString(ini, "SetUp", key);
    };
    const std::string type = platform::UCase(stored("MessageType"));
    r.Keyed(ini, "SetUp", "MessageType", type.empty() ? "EMERGENCY" : type);
    const double unit = platform::StoredNumber(stored("Unit"), regional).value_or(1);
    r.Keyed(ini, "SetUp", "Unit", platform::ToInt16(unit) == 1 ? "1 (kilometres)" : "2 (miles)");
    r.Keyed(ini, "SetUp", "Language",
            settings::LanguageCode(stored("Language"), regional) == settings::kEnglish
                ? "2 (English)"
                : "1 (Italian)");
    r.Keyed(
        ini, "SetUp", "Test",
        platform::ToInt16(platform::Val(stored("Test"))) == 1 ? "1 (frames logged)" : "0 (off)");
}

void ShowFeed(const watch_settings::FeedSettings& feed, bool fromCommandLine, Report& r) {
    using watch_settings::FeedSource;
    const char* from = fromCommandLine ? "command line" : "host settings";
    r.Value("feed", watch_settings::FeedSourceText(feed.source), from);
    switch (feed.source) {
        case FeedSource::Replay:
            r.Value("replay file", feed.replayFile + (feed.fast ? " (fast)" : ""), from);
            break;
        case FeedSource::Kiss:
            r.Value("address", feed.kissHost + ":" + std::to_string(feed.kissPort), from);
            break;
        case FeedSource::Agwpe:
            r.Value("address", feed.agwpeHost + ":" + std::to_string(feed.agwpePort), from);
            break;
        case FeedSource::AprsIs:
            r.Value("address", feed.aprsIsHost + ":" + std::to_string(feed.aprsIsPort), from);
            r.Value("filter", feed.filter.empty() ? "(none)" : feed.filter, from);
            break;
        case FeedSource::Serial:
            r.Value("serial device",
                    feed.serialDevice + " at " + std::to_string(feed.serialBaud) + " baud", from);
            break;
        case FeedSource::Stdin:
            break;
    }
}

// Where the dashboard would listen, and whether it could now; the token only as set or not.
void ShowDashboard(const CommandLine& options, const watch_settings::WatchSettings& watch,
                   const std::string& hostIni, Report& r) {
    const auto where = watch_settings::DashboardPlace(options.dashboard, watch)
                           .value_or(std::optional<watch_settings::Endpoint>());
    const std::string place =
        where ? where->host + ":" + std::to_string(where->port) : std::string("(none)");
    if (options.dashboard)
        r.Value("Dashboard", place, "command line");
    else
        r.Keyed(hostIni, builtin_host::kHostSection, "Dashboard", place);
    r.Keyed(hostIni, builtin_host::kHostSection, "DashboardToken",
            watch.dashboardToken.empty() ? "(none: actions are off)" : "(set)");
    if (!where) return;
    if (const auto free = dashboard::CanListen(where->host, where->port); !free)
        r.Found({"the dashboard cannot listen on " + where->host + " port " +
                     std::to_string(where->port) + " now: " + free.error().text +
                     "; the watch starts and the dashboard tries again until it can",
                 false, false});
}

// The silence limit in force for the feed in force: the one set, or the feed's own.
std::string SilenceText(const StartSettings& s) {
    const std::int64_t limit_s =
        watch_settings::SilenceLimitSeconds(s.feed.source, s.watch.silenceMinutes);
    if (limit_s == 0) return "0 (never silent)";
    const std::string minutes = Shortest(double(limit_s) / 60) + " min";
    const bool set = s.watch.silenceMinutes && *s.watch.silenceMinutes >= 0;
    return set ? minutes : minutes + " (the feed's own limit)";
}

void ShowHostSettings(const CommandLine& options, const StartSettings& s, bool hostIniThere,
                      Report& r) {
    const std::string hostIni = builtin_host::HostIniPath(s.hostFolder);
    const char* absent = hostIniThere ? "default" : "default, written at the first start";
    r.Keyed(hostIni, "Station", "Callsign", s.host.callsign, absent);
    r.Keyed(hostIni, "Station", "Latitude", s.host.latitudeText, absent);
    r.Keyed(hostIni, "Station", "Longitude", s.host.longitudeText, absent);
    r.Value("host version", host::kLowestVersionText, "the built-in host's own");
    ShowFeed(s.feed, options.feed.has_value(), r);
    const char* section = builtin_host::kHostSection;
    r.Keyed(hostIni, section, "SilenceMinutes", SilenceText(s));
    r.Keyed(hostIni, section, "IncidentDays",
            s.watch.incidentDays == 0 ? "0 (all kept)" : std::to_string(s.watch.incidentDays));
    const bool commandSet = !settings::ReadProfileString(hostIni, section, "OnEmergency").empty();
    r.Value("OnEmergency", s.command.empty() ? "(none)" : s.command,
            options.onEmergency ? "command line"
            : commandSet        ? hostIni + " [" + section + "]"
                                : "default");
    // The watch list as it will hold: what cannot be read is left out (and told).
    const incidents::WatchList& watch = s.watch.watchList;
    std::string ignored;
    for (const auto& entry : watch.ignore) ignored += (ignored.empty() ? "" : ";") + entry.pattern;
    r.Keyed(hostIni, "Watch", "Ignore", ignored.empty() ? "(none)" : ignored);
    r.Keyed(hostIni, "Watch", "AlarmRadiusKm",
            watch.alarmRadius_km ? Shortest(*watch.alarmRadius_km) : "(none)");
    r.Keyed(
        hostIni, "Watch", "AlarmArea",
        watch.alarmArea.empty() ? "(none)" : std::to_string(watch.alarmArea.size()) + " points");
    ShowDashboard(options, s.watch, hostIni, r);
}

}  // namespace

int CheckSettings(const CommandLine& options, const CheckPlace& place, std::ostream& out,
                  std::ostream& err) {
    Report r(out, err);
    const platform::FileLayout& layout = place.layout;
    out << "Files (" << (layout.installed ? "installed" : "beside the executable") << "):\n";
    r.Value("shipped files", layout.shared, "");
    r.Value("settings", layout.settings, "");
    r.Value("data", layout.data, "");

    const std::string ini = platform::JoinPath(layout.settings, "Sirenwatch.ini");
    out << "Sirenwatch.ini (" << (Readable(ini) ? ini : ini + ", written at the first start")
        << "):\n";
    ShowAddOnSettings(ini, place.regional, r);

    settings::IniUserStore store(layout.userStore);
    std::string hostFolder =
        store.Get(host::kStoreApplication, host::kStoreSection, host::kStoreKey);
    const bool registered = !hostFolder.empty();
    if (!registered) hostFolder = layout.hostFolder;
    const std::string hostIni = builtin_host::HostIniPath(hostFolder);
    const bool hostIniThere = Readable(hostIni);
    StartSettings s = ReadStartSettings(options, layout, hostFolder, registered && !hostIniThere);
    if (hostIniThere) {
        out << "Host settings (" << hostIni << "):\n";
    } else if (!registered) {  // a first start writes the defaults
        out << "Host settings (none yet: the first start writes " << hostIni << "):\n";
        s.host.callsign = builtin_host::kDefaultCallsign;
        s.host.latitudeText = builtin_host::kDefaultLatitude;
        s.host.longitudeText = builtin_host::kDefaultLongitude;
    } else {
        out << "Host settings (none: the registered folder " << hostFolder
            << " has no settings file):\n";
    }
    ShowHostSettings(options, s, hostIniThere, r);
    for (const Finding& finding : ShowAndTryMqtt(options, s, out)) r.Found(finding);
    for (const Finding& finding : CheckStart(options, s)) r.Found(finding);

    if (r.Problems() > 0) {
        out << "The watch cannot start: " << r.Problems()
            << " problem(s), told on standard error.\n";
        return 1;
    }
    out << "The watch can start";
    if (r.Warnings() > 0) out << ", with " << r.Warnings() << " warning(s) told on standard error";
    out << ".\n";
    return 0;
}

}  // namespace app
