// The configuration check: the same reading as a start, followed by the checks a start (and
// the first emergency) would run into.
#include "app/SettingsCheck.h"

#include <QFileInfo>
#include <QHostAddress>
#include <QStandardPaths>
#include <ostream>
#include <string>

#include "app/FeedSetup.h"
#include "builtin_host/HostSettings.h"
#include "builtin_host/HostSetup.h"
#include "host/HostPorts.h"
#include "incidents/EmergencyCommand.h"
#include "platform/Paths.h"
#include "qt/QtPorts.h"
#include "settings/IniUserStore.h"
#include "settings/ProfileFile.h"

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
    void Problem(const std::string& text) {
        err_ << "sirenwatch: " << text << '\n';
        ++problems_;
    }
    int Problems() const { return problems_; }
    std::ostream& Out() { return out_; }

private:
    std::ostream& out_;
    std::ostream& err_;
    int problems_ = 0;
};

bool Readable(const std::string& file) {
    const QFileInfo info(QString::fromStdString(file));
    return info.isFile() && info.isReadable();
}

void CheckFeed(const builtin_host::FeedSettings& feed, bool fromCommandLine, Report& r) {
    using builtin_host::FeedSource;
    const char* from = fromCommandLine ? "command line" : "host settings";
    r.Value("feed", builtin_host::FeedSourceText(feed.source), from);
    switch (feed.source) {
        case FeedSource::Replay:
            r.Value("replay file", feed.replayFile + (feed.fast ? " (fast)" : ""), from);
            if (ReplayFileProblem(feed.replayFile))
                r.Problem("the replay file cannot be read: " + feed.replayFile);
            break;
        case FeedSource::Kiss:
        case FeedSource::Agwpe:
        case FeedSource::AprsIs: {
            const std::string host = feed.source == FeedSource::Kiss    ? feed.kissHost
                                     : feed.source == FeedSource::Agwpe ? feed.agwpeHost
                                                                        : feed.aprsIsHost;
            const auto port = feed.source == FeedSource::Kiss    ? feed.kissPort
                              : feed.source == FeedSource::Agwpe ? feed.agwpePort
                                                                 : feed.aprsIsPort;
            r.Value("address", host + ":" + std::to_string(port), from);
            if (!ParseEndpoint(host, port)) r.Problem("the feed's address is not usable: " + host);
            if (feed.source == FeedSource::AprsIs)
                r.Value("filter", feed.filter.empty() ? "(none)" : feed.filter, from);
            break;
        }
        case FeedSource::Serial:
            r.Value("serial device",
                    feed.serialDevice + " at " + std::to_string(feed.serialBaud) + " baud", from);
            break;
        case FeedSource::Stdin:
            break;
    }
}

void CheckCommand(const std::string& command, const std::string& from, Report& r) {
    r.Value("OnEmergency", command.empty() ? "(none)" : command, from);
    if (command.empty()) return;
    if (const auto problem = incidents::CommandProblem(QString::fromStdString(command)))
        r.Problem("the emergency command cannot run: " + problem->toStdString());
}

// Where the dashboard would listen; the token only as set or not, never its text.
void CheckDashboard(const CommandLine& options, const builtin_host::HostSettings& host,
                    const std::string& hostIni, Report& r) {
    const std::string from = hostIni + " [" + builtin_host::kHostSection + "]";
    std::optional<Endpoint> where = options.dashboard;
    if (!where && !host.dashboard.empty()) {
        where = ParseListenAddress(host.dashboard);
        if (!where) r.Problem("Dashboard is not [ADDRESS:]PORT: " + host.dashboard);
    }
    r.Value("Dashboard",
            where ? where->host + ":" + std::to_string(where->port) : std::string("(none)"),
            options.dashboard ? "command line" : from);
    r.Value("DashboardToken", host.dashboardToken.empty() ? "(none: actions are off)" : "(set)",
            from);
    if (!where) return;
    const QHostAddress address(QString::fromStdString(where->host));
    if (address.isNull())
        r.Problem("the dashboard's address is not an IP address: " + where->host);
    else if (!address.isLoopback() && host.dashboardToken.empty())
        r.Problem("the dashboard listens beyond this machine only with DashboardToken set");
}

}  // namespace

int CheckSettings(const CommandLine& options, std::ostream& out, std::ostream& err) {
    Report r(out, err);
    const platform::FileLayout layout = qt::CurrentLayout();
    out << "Files (" << (layout.installed ? "installed" : "beside the executable") << "):\n";
    r.Value("shipped files", layout.shared, "");
    r.Value("settings", layout.settings, "");
    r.Value("data", layout.data, "");

    const std::string ini = platform::JoinPath(layout.settings, "Sirenwatch.ini");
    out << "Sirenwatch.ini (" << (Readable(ini) ? ini : ini + ", written at the first start")
        << "):\n";
    for (const char* key : {"MessageType", "Unit", "Language", "Test"}) {
        const std::string value = settings::ReadProfileString(ini, "SetUp", key);
        r.Keyed(ini, "SetUp", key, value.empty() ? "(default)" : value);
    }

    settings::IniUserStore store(layout.userStore);
    std::string hostFolder =
        store.Get(host::kStoreApplication, host::kStoreSection, host::kStoreKey);
    const bool registered = !hostFolder.empty();
    if (!registered) hostFolder = layout.hostFolder;
    const std::string hostIni = builtin_host::HostIniPath(hostFolder);
    const bool hostIniThere = Readable(hostIni);
    out << "Host settings (" << hostIni << (registered ? "" : ", the default folder") << "):\n";
    if (registered && !hostIniThere)
        r.Problem("the registered host folder has no settings file: " + hostIni);

    builtin_host::HostSettings host = builtin_host::LoadHostSettings(hostFolder);
    if (!hostIniThere && !registered) {  // a first start writes these defaults
        host.callsign = builtin_host::kDefaultCallsign;
        host.latitudeText = builtin_host::kDefaultLatitude;
        host.longitudeText = builtin_host::kDefaultLongitude;
    }
    const char* absent = hostIniThere ? "default" : "default, written at the first start";
    r.Keyed(hostIni, "Station", "Callsign", host.callsign, absent);
    r.Keyed(hostIni, "Station", "Latitude", host.latitudeText, absent);
    r.Keyed(hostIni, "Station", "Longitude", host.longitudeText, absent);
    if (host.callsign.empty()) r.Problem("the home station has no callsign");
    if (!builtin_host::HomeFromSettings(host))
        r.Problem("the home position is not a position: " + host.latitudeText + " " +
                  host.longitudeText);

    const auto feed = EffectiveFeed(host.feed, options, layout.shared);
    CheckFeed(feed, options.feed != FeedChoice::FromSettings, r);
    r.Keyed(hostIni, builtin_host::kHostSection, "SilenceMinutes",
            host.silenceMinutes ? std::to_string(*host.silenceMinutes) : "(the feed's default)");
    r.Keyed(hostIni, builtin_host::kHostSection, "IncidentDays", std::to_string(host.incidentDays));
    CheckCommand(
        options.onEmergency.value_or(host.onEmergency),
        options.onEmergency ? "command line"
        : settings::ReadProfileString(hostIni, builtin_host::kHostSection, "OnEmergency").empty()
            ? "default"
            : hostIni + " [" + builtin_host::kHostSection + "]",
        r);

    CheckDashboard(options, host, hostIni, r);

    if (r.Problems() == 0) {
        out << "The watch can start.\n";
        return 0;
    }
    out << "The watch cannot start: " << r.Problems() << " problem(s), told on standard error.\n";
    return 1;
}

}  // namespace app
