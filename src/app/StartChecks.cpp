// The start's checks, shared with --check: folders, the host's settings as read, the home
// station, the feed, the watch list, the emergency command and the dashboard.
#include "app/StartChecks.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "app/FeedOptions.h"
#include "app/MqttWiring.h"
#include "incident_outlets/DiskFiles.h"
#include "incident_outlets/EmergencyCommand.h"
#include "platform/Log.h"
#include "platform/Paths.h"

namespace app {
namespace {

using watch_settings::FeedSource;

void Refuse(std::vector<Finding>& findings, std::string text, bool onCommandLine = false) {
    findings.push_back({std::move(text), true, onCommandLine});
}

void Tell(std::vector<Finding>& findings, std::string text) {
    findings.push_back({std::move(text), false, false});
}

// What the host's file holds that could not be read as written, the station program's keys
// and then Sirenwatch's. A feed source is moot when the command line names the feed.
void CheckNotes(const CommandLine& options, const StartSettings& s,
                std::vector<Finding>& findings) {
    for (const auto* notes : {&s.host.notes, &s.watch.notes}) {
        for (const builtin_host::SettingNote& note : *notes) {
            if (note.key == "Source" && options.feed) continue;
            findings.push_back({"[" + std::string(builtin_host::kHostSection) + "] " + note.text,
                                note.refusesStart, false});
        }
    }
}

void CheckHome(const StartSettings& s, std::vector<Finding>& findings) {
    if (s.hostIniMissing) {
        Refuse(findings, "the host's folder has no settings file: " +
                             builtin_host::HostIniPath(s.hostFolder));
        return;
    }
    if (s.host.callsign.empty()) Tell(findings, "the home station has no callsign");
    if (!builtin_host::HomeFromSettings(s.host))
        Refuse(findings, "the home position is not a position: \"" + s.host.latitudeText + "\" \"" +
                             s.host.longitudeText + "\"");
}

// Whether a replay file can be read; the problem ("it is a folder", the system's reason) when
// not.
platform::Result<void> ReplayFileReadable(const std::string& file) {
    std::error_code ec;
    if (std::filesystem::is_directory(platform::FilePath(file), ec))
        return platform::Fail("it is a folder");
    errno = 0;
    const std::ifstream replay(platform::FilePath(file), std::ios::binary);
    if (!replay) return platform::Fail(std::strerror(errno != 0 ? errno : ENOENT));
    return {};
}

void CheckFeed(const CommandLine& options, const watch_settings::FeedSettings& feed,
               std::vector<Finding>& findings) {
    const bool onCommandLine = options.feed.has_value();
    if (feed.source == FeedSource::Replay) {
        if (const auto readable = ReplayFileReadable(feed.replayFile); !readable)
            Refuse(findings,
                   "cannot read the replay file " + feed.replayFile + ": " + readable.error().text,
                   onCommandLine);
        return;
    }
    const std::string* host = feed.source == FeedSource::Kiss     ? &feed.kissHost
                              : feed.source == FeedSource::Agwpe  ? &feed.agwpeHost
                              : feed.source == FeedSource::AprsIs ? &feed.aprsIsHost
                                                                  : nullptr;
    if (host != nullptr && !watch_settings::ParseEndpoint(*host, 1))
        Refuse(findings, "the feed's address is not usable: " + *host, onCommandLine);
}

void CheckWatchList(const watch_settings::WatchSettings& watch, std::vector<Finding>& findings) {
    for (const std::string& problem : watch.watchListNotes) Tell(findings, "[Watch] " + problem);
}

void CheckDashboard(const CommandLine& options, const StartSettings& s,
                    std::vector<Finding>& findings) {
    const auto place = watch_settings::DashboardPlace(options.dashboard, s.watch);
    if (!place) Tell(findings, place.error().text + "; the watch runs without the dashboard");
}

}  // namespace

StartSettings ReadStartSettings(const CommandLine& options, const platform::FileLayout& layout,
                                const std::string& hostFolder, bool hostIniMissing) {
    StartSettings s{.layout = layout,
                    .hostFolder = hostFolder,
                    .hostIniMissing = hostIniMissing,
                    .host = builtin_host::LoadHostSettings(hostFolder),
                    .watch = watch_settings::LoadWatchSettings(hostFolder),
                    .feed = {},
                    .command = {}};
    s.feed = EffectiveFeed(s.watch.feed, options, layout.shared);
    s.command = options.onEmergency.value_or(s.watch.onEmergency);
    return s;
}

platform::Result<void> DataFolderWritable(const std::string& folder) {
    // A folder not made yet is made at the first emergency.
    auto writable = incidents::FolderWritable(folder);
    if (!writable) return platform::Fail("the data folder " + writable.error().text);
    return {};
}

std::optional<std::string> CommandFinding(const std::string& command, bool onCommandLine) {
    if (command.empty()) return std::nullopt;
    const auto runs = incidents::CommandRuns(command);
    if (runs) return std::nullopt;
    return (onCommandLine ? "--on-emergency" : "OnEmergency in the host's settings") +
           std::string(": the emergency command cannot run: ") + runs.error().text;
}

std::vector<Finding> CheckStart(const CommandLine& options, const StartSettings& s) {
    std::vector<Finding> findings;
    if (const auto writable = DataFolderWritable(s.layout.data); !writable)
        Refuse(findings, writable.error().text);
    CheckNotes(options, s, findings);
    CheckHome(s, findings);
    CheckFeed(options, s.feed, findings);
    CheckWatchList(s.watch, findings);
    if (const auto problem = CommandFinding(s.command, options.onEmergency.has_value()))
        Refuse(findings, *problem, options.onEmergency.has_value());
    CheckDashboard(options, s, findings);
    CheckMqtt(options, s, findings);
    return findings;
}

int RefusalCode(const std::vector<Finding>& findings) {
    int code = 0;
    for (const Finding& f : findings)
        if (f.refusesStart) code = f.onCommandLine ? 2 : std::max(code, 1);
    return code;
}

std::optional<int> TellFindings(const std::vector<Finding>& findings) {
    for (const Finding& finding : findings)
        platform::LogLine(finding.refusesStart ? platform::Level::Error : platform::Level::Warning)
            << finding.text;
    const int code = RefusalCode(findings);
    return code == 0 ? std::nullopt : std::optional<int>(code);
}

}  // namespace app
