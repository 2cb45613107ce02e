// Composition of the executable: first-run host set-up, ports, the add-on, windows, feed.
#include "app/Program.h"

#include <QApplication>
#include <QIcon>
#include <QStandardPaths>
#include <QTimer>
#include <iostream>
#include <memory>
#include <optional>

#include "app/DashboardStart.h"
#include "app/FeedSetup.h"
#include "app/JournalLevels.h"
#include "app/KeptIncidents.h"
#include "app/LatencyProbe.h"
#include "app/StartChecks.h"
#include "app/StopSignals.h"
#include "app/WatchBoard.h"
#include "basemap/BaseMap.h"
#include "builtin_host/BuiltinHost.h"
#include "builtin_host/HostSetup.h"
#include "incidents/DesktopNotifier.h"
#include "incidents/EmergencyCommand.h"
#include "incidents/ExportDialog.h"
#include "incidents/FormObserver.h"
#include "incidents/IncidentLog.h"
#include "incidents/JsonLines.h"
#include "incidents/TabLines.h"
#include "platform/Log.h"
#include "platform/NumberText.h"
#include "platform/Paths.h"
#include "program/HeadlessDialogs.h"
#include "program/Sirenwatch.h"
#include "qt/Binders.h"
#include "qt/DisplayPacer.h"
#include "qt/FormWindow.h"
#include "qt/LoopProbe.h"
#include "qt/QtPlatform.h"
#include "qt_host/FeedSilence.h"
#include "qt_host/IncidentPanel.h"
#include "qt_host/MapView.h"
#include "qt_host/dashboard/DashboardServer.h"
#include "settings/ProfileFile.h"
#include "watch_settings/WatchSettings.h"

namespace app {

namespace {

// Makes sure the add-on finds a host with a home station; gives the host's folder, or nothing
// when that cannot be (told here: the add-on would only say less).
std::optional<std::string> PrepareHost(const platform::FileLayout& layout) {
    const std::string demo = platform::JoinPath(layout.shared, "demo.tnc2");
    const auto setup = builtin_host::EnsureHostSetup(
        layout.userStore, layout.hostFolder, [&demo](const std::string& folder) {
            return watch_settings::SaveWatchSettings(folder,
                                                     watch_settings::FirstRunSettings(demo));
        });
    if (setup.error.empty()) return setup.folder;
    platform::LogLine(platform::Level::Error) << "sirenwatch: host set-up: " << setup.error;
    return std::nullopt;
}

// The message type that counts as an emergency, as the add-on reads it at start-up.
std::string MessageType(const std::string& settingsFile) {
    std::string type =
        platform::UCase(settings::ReadProfileString(settingsFile, "SetUp", "MessageType"));
    return type.empty() ? "EMERGENCY" : type;
}

// The land and borders among the shipped files; without them the map has a plain background.
std::shared_ptr<const basemap::BaseMap> LoadShippedBaseMap(const std::string& folder) {
    const std::string file = platform::JoinPath(folder, "basemap.txt");
    std::string error;
    auto map = basemap::LoadBaseMap(file, &error);
    if (!map) {
        platform::LogLine(platform::Level::Warning) << "sirenwatch: no base map: " << error;
        return nullptr;
    }
    return std::make_shared<const basemap::BaseMap>(std::move(*map));
}

// Online tiles when the settings name a tile server; none otherwise.
std::unique_ptr<qt_host::TileLayer> MakeTileLayer(const watch_settings::WatchSettings& settings) {
    if (settings.tileUrl.empty()) return nullptr;  // none, or none usable (the checks told)
    qt_host::TileSettings tiles;
    tiles.urlTemplate = QString::fromStdString(settings.tileUrl);
    tiles.attribution = QString::fromStdString(settings.tileAttribution);
    tiles.cacheFolder = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
                        "/sirenwatch/tiles";
    tiles.userAgent = QString::fromStdString("Sirenwatch/" + VersionText());
    return std::make_unique<qt_host::TileLayer>(tiles);
}

// The map window of the built-in host, beside the add-on's window. Closing it closes the
// host, and the add-on with it.
std::unique_ptr<qt_host::MapView> OpenMapWindow(builtin_host::BuiltinHost& host,
                                                const builtin_host::HostSettings& settings,
                                                const QWidget& mainWindow) {
    auto map = std::make_unique<qt_host::MapView>(host.MapState(), host.Stations());
    map->SetEvidence(&host.Emergencies());
    map->SetHomeCallsign(settings.callsign);
    map->onClose = [&host] { host.Close(); };
    map->resize(640, 480);
    map->move(mainWindow.frameGeometry().right() + 16, mainWindow.frameGeometry().top());
    map->show();
    return map;
}

// The incident list under the map window: the dashboard's incidents and actions, in the window.
// Closed, it comes back from the map's context menu.
std::unique_ptr<qt_host::IncidentPanel> OpenIncidentList(qt_host::dashboard::Source& source,
                                                         qt_host::MapView& map) {
    auto panel = std::make_unique<qt_host::IncidentPanel>(source);
    panel->resize(map.width(), 260);
    panel->move(map.frameGeometry().left(), map.frameGeometry().bottom() + 16);
    panel->show();
    map.onIncidentList = [list = panel.get()] {
        list->show();
        list->raise();
    };
    return panel;
}

// Headless there are no widgets at all: the report follows the forms' models, and the forms'
// timers tick without a window, owned by timerOwner. Otherwise the add-on's main window.
std::unique_ptr<qt::FormWindow> MakeMainWindow(program::Sirenwatch& program,
                                               qt::QtPlatform& platform, bool headless,
                                               QObject& timerOwner) {
    if (headless) {
        qt::bindFormTimers(program.Main(), &timerOwner);
        return nullptr;
    }
    auto window = std::make_unique<qt::FormWindow>(program.Main());
    platform.SetMainWindow(window.get());
    return window;
}

void StartFeed(qt_host::feeds::Feed& feed, builtin_host::BuiltinHost& host, bool headless,
               qt_host::MapView* map, qt::DisplayPacer* pacer) {
    feed.SetLineHandler([&host, pacer](const std::string& line) {
        qt::DisplayPacer::Batch batch(pacer);  // the window follows at the screen's pace
        host.OnTnc2Line(line);
    });
    feed.SetStatusHandler([map](const QString& status) {
        platform::LogLine(platform::Level::Info) << "feed: " << status.toStdString();
        if (map) map->setWindowTitle("Sirenwatch host - " + status);
    });
    // Headless, the end of the traffic is the end of the run: the host closes as its window
    // would, so the add-on saves its settings on the way out.
    if (headless) feed.SetEndHandler([&host] { host.Close(); });
    feed.Start();
}

// The user's command for new emergencies, when one is set.
std::unique_ptr<incidents::EmergencyCommand> MakeEmergencyCommand(const std::string& command) {
    if (command.empty()) return nullptr;
    return std::make_unique<incidents::EmergencyCommand>(QString::fromStdString(command));
}

// A replay's events go to a log of its own: its emergencies are made up or long past.
QString LogFolder(const watch_settings::FeedSettings& feed) {
    if (feed.source != watch_settings::FeedSource::Replay)
        return incidents::IncidentLog::DefaultFolder();
    const QString folder = incidents::IncidentLog::ReplayFolder(
        QString::fromStdString(feed.replayFile), QDateTime::currentDateTimeUtc());
    platform::LogLine(platform::Level::Info)
        << "sirenwatch: a replay, logged apart in " << folder.toStdString();
    return folder;
}

// Where events go besides standard output: the incident log, the desktop, the user's command.
struct IncidentOutlets {
    incidents::IncidentLog log;
    incidents::DesktopNotifier notifier;
    std::unique_ptr<incidents::EmergencyCommand> command;
};

// The built-in host's evidence of a station, as the events carry it: without its track.
std::optional<incidents::Evidence> EvidenceOf(const builtin_host::EvidenceBook& book,
                                              const std::string& callsign) {
    const builtin_host::StationEvidence* e = book.Find(callsign);
    if (e == nullptr) return std::nullopt;
    return static_cast<const incidents::Evidence&>(*e);
}

// The station's evidence counted as its incident counts it. The host forgets its stations when
// the watch stops, and counts from when it first heard one; the book keeps its incidents across
// a restart, so a station whose incident was taken up open is not a new emergency again, and
// one whose incident was closed is a new one at its next emergency.
std::optional<incidents::Evidence> CountedByIncident(const incidents::IncidentBook& book,
                                                     const std::string& callsign,
                                                     std::optional<incidents::Evidence> evidence) {
    const incidents::Incident* incident = book.Latest(callsign);
    if (!evidence || incident == nullptr || incident->state == incidents::State::Closed)
        return evidence;
    evidence->count = incident->frames;
    evidence->firstHeard_s = incident->opened_s;
    return evidence;
}

// Standard output in the form asked for (tab lines only headless), the outlets, and the new
// places of stations in emergency as the host notes them. What the watch list held back is
// logged but wakes nobody.
void RouteIncidents(incidents::Stream& events, builtin_host::BuiltinHost& host,
                    const incidents::IncidentBook& book, IncidentOutlets& outlets,
                    const CommandLine& options, bool headless) {
    if (options.json) {
        events.Subscribe(incidents::JsonLinePrinter(std::cout));
    } else if (headless) {
        events.Subscribe(incidents::TabLinePrinter(std::cout));
    }
    events.Subscribe([&outlets, &book](const incidents::Event& event) {
        outlets.log.Append(event);
        if (HeldBack(book, event)) return;
        outlets.notifier.Tell(event);
        if (outlets.command) outlets.command->Run(event);
    });
    host.SetEvidenceListener([&events](const builtin_host::EvidenceBook::Noted& noted) {
        if (noted.evidence == nullptr || !noted.newPoint) return;
        const builtin_host::TrackPoint& point = noted.evidence->track.back();
        events.Emit(incidents::Event{
            point.time_s, incidents::Position{noted.evidence->callsign,
                                              {point.latitude_deg, point.longitude_deg}}});
    });
}

// The incident book hears every decoded frame before the add-on does, its changes join the
// events, and the alarm silenced at the window acknowledges what was new.
void KeepIncidents(incidents::IncidentBook& book, incidents::Stream& events,
                   builtin_host::BuiltinHost& host, const incidents::WatchList& watch) {
    book.SetWatchList(watch);
    book.SetChangeSink([&events](const incidents::Change& change) {
        events.Emit(incidents::Event{change.time_s, incidents::IncidentChange{change}});
    });
    host.SetSightingListener([&book](const sighting::Sighting& frame) { book.Observe(frame); });
    // Each incident keeps the evidence of its own frames; a closed one keeps what it had.
    events.Subscribe([&book](const incidents::Event& event) {
        const auto* emergency = std::get_if<incidents::Emergency>(&event.what);
        if (emergency != nullptr && emergency->evidence)
            book.NoteEvidence(emergency->panel[incidents::Box::Callsign], *emergency->evidence);
    });
    events.Subscribe([&book](const incidents::Event& event) {
        if (!std::holds_alternative<incidents::Acknowledged>(event.what)) return;
        std::vector<std::uint64_t> fresh;
        book.ForEach([&fresh](const incidents::Incident& incident) {
            if (incident.state == incidents::State::New) fresh.push_back(incident.id);
        });
        for (const std::uint64_t id : fresh)
            book.Apply({.action = incidents::OperatorAction::Acknowledge,
                        .incident = id,
                        .time_s = event.time_s,
                        .operatorName = "the station's operator",
                        .text = {}});
    });
}

// Where the home station is, when the host's settings say.
std::optional<incidents::Place> HomePlace(const builtin_host::HostSettings& settings) {
    const auto home = builtin_host::HomeFromSettings(settings);
    if (!home) return std::nullopt;
    return incidents::Place{home->latitude_deg, home->longitude_deg};
}

// The base map, the tiles when a server is set, and the export in the window's menu.
void FurnishMap(qt_host::MapView& map, const std::string& folder,
                const watch_settings::WatchSettings& settings, const incidents::IncidentLog& log) {
    map.SetBaseMap(LoadShippedBaseMap(folder));
    if (auto tiles = MakeTileLayer(settings)) {
        tiles->setParent(&map);
        map.SetTileLayer(tiles.release());
    }
    map.onExport = [&log, &map] { incidents::ExportFromMap(log.Folder(), map); };
}

// The web dashboard, when the command line or the host's settings ask for one it can use (the
// start's checks told what it cannot); it listens as soon as it can.
std::unique_ptr<DashboardStart> StartDashboard(const CommandLine& options,
                                               const watch_settings::WatchSettings& settings,
                                               const std::string& folder, WatchBoard& board) {
    std::string problem;
    const std::optional<Endpoint> where =
        watch_settings::DashboardPlace(options.dashboard, settings, &problem);
    if (!where) return nullptr;
    qt_host::dashboard::ServerSettings server;
    server.address = QHostAddress(QString::fromStdString(where->host));
    server.port = where->port;
    server.token = QString::fromStdString(settings.dashboardToken);
    server.pageFolder = QString::fromStdString(platform::JoinPath(folder, "dashboard"));
    if (!settings.tileUrl.empty()) {
        server.tileUrl = QString::fromStdString(settings.tileUrl);
        server.tileAttribution = QString::fromStdString(settings.tileAttribution);
    }
    auto dashboard = std::make_unique<qt_host::dashboard::DashboardServer>(board, server);
    dashboard->SetBaseMap(LoadShippedBaseMap(folder));
    return std::make_unique<DashboardStart>(
        std::move(dashboard),
        options.dashboard ? "--dashboard" : "Dashboard in the host's settings",
        server.token.isEmpty() ? " (actions are off: no DashboardToken is set)" : "");
}

// Tells what the start's checks found; the exit code when one of them refuses the start.
std::optional<int> TellFindings(const std::vector<Finding>& findings) {
    for (const Finding& finding : findings)
        platform::LogLine(finding.refusesStart ? platform::Level::Error : platform::Level::Warning)
            << "sirenwatch: " << finding.text;
    const int code = RefusalCode(findings);
    return code == 0 ? std::nullopt : std::optional<int>(code);
}

// SIGHUP's reading: the values that may change while watching, each told when it cannot be
// read. A command that cannot run is refused and the one in force kept, since an emergency
// must never meet no command because of a typing mistake.
struct Reread {
    watch_settings::WatchSettings settings;
    std::optional<std::string> command;  // nothing: keep the one in force
};
Reread ReadAgain(const std::string& hostFolder, const CommandLine& options,
                 const std::string& commandInForce) {
    Reread r{watch_settings::LoadWatchSettings(hostFolder), std::nullopt};
    for (const builtin_host::SettingNote& note : r.settings.notes)
        platform::LogLine(platform::Level::Warning)
            << "sirenwatch: [" << builtin_host::kHostSection << "] " << note.text;
    for (const std::string& problem : r.settings.watchListNotes)
        platform::LogLine(platform::Level::Warning) << "sirenwatch: [Watch] " << problem;
    if (options.onEmergency) return r;  // the command line's command stands
    if (const auto problem = CommandFinding(r.settings.onEmergency, false)) {
        platform::LogLine(platform::Level::Error)
            << "sirenwatch: " << *problem << "; the new command is refused, "
            << (commandInForce.empty() ? std::string("still none runs")
                                       : "this one stays: " + commandInForce);
        return r;
    }
    r.command = r.settings.onEmergency;
    return r;
}

}  // namespace

std::string VersionText() {
    return std::to_string(SIRENWATCH_VERSION_MAJOR) + "." +
           std::to_string(SIRENWATCH_VERSION_MINOR) + "." +
           std::to_string(SIRENWATCH_VERSION_PATCH);
}

bool NoDisplay() {
    return qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

int RunProgram(const CommandLine& options, bool headless) {
    const JournalLevels journal;
    QApplication::setApplicationName("Sirenwatch");
    QApplication::setApplicationVersion(QString::fromStdString(VersionText()));
    // The program ends through its own close path only, never because a window went away.
    QApplication::setQuitOnLastWindowClosed(false);

    qt::QtPlatform platform;
    const std::string folder = platform.program.SharedFolder();
    QApplication::setWindowIcon(QIcon(QString::fromStdString(folder + "/sirenwatch.png")));
    const platform::FileLayout layout = qt::CurrentLayout();
    // Checked before the host's set-up, whose folder may lie in it: the one true reason.
    if (const auto problem = DataFolderProblem(layout.data)) {
        platform::LogLine(platform::Level::Error) << "sirenwatch: " << *problem;
        return 1;
    }
    const auto hostFolder = PrepareHost(layout);
    if (!hostFolder) return 1;
    const StartSettings start = ReadStartSettings(options, layout, *hostFolder, false);
    if (const auto refused = TellFindings(CheckStart(options, start))) return *refused;
    const builtin_host::HostSettings& hostSettings = start.host;
    const watch_settings::WatchSettings& watchSettings = start.watch;
    const watch_settings::FeedSettings& feedSettings = start.feed;
    std::string commandInForce = start.command;

    program::HeadlessDialogs quietDialogs(std::cerr);
    program::SilentSound silence;
    platform::Ports headlessPorts{
        quietDialogs,   silence,           platform.layer,   platform.userStore, platform.instance,
        platform.clock, platform.regional, platform.program, platform.help,      platform.app};
    platform::Ports& ports = headless ? headlessPorts : platform.ports;

    builtin_host::BuiltinHost host(
        platform.clock,
        builtin_host::HomeFromSettings(hostSettings).value_or(builtin_host::HomePosition{}));
    host.MapState().SetScale(hostSettings.mapScale);  // the map window opens at it
    // The reports outlive the forms they listen to, whatever they signal as they go.
    IncidentOutlets outlets{
        .log = incidents::IncidentLog(LogFolder(feedSettings)),
        .notifier = incidents::DesktopNotifier(
            incidents::SessionBusIfAny(),
            QString::fromStdString(platform::JoinPath(folder, "sirenwatch.png"))),
        .command = MakeEmergencyCommand(commandInForce)};
    outlets.log.KeepDays(watchSettings.incidentDays);
    incidents::Stream events(qt_host::FeedWatch::SystemSeconds);
    std::optional<incidents::FormObserver> observer;
    incidents::IncidentBook book;
    KeptIncidents kept(book, events, outlets.log.Folder(),
                       feedSettings.source != watch_settings::FeedSource::Replay,
                       HomePlace(hostSettings));
    std::optional<WatchBoard> board;
    program::Sirenwatch program(ports, host);
    QObject headlessTimers;  // it and the window go before the models they follow
    const auto mainWindow = MakeMainWindow(program, platform, headless, headlessTimers);
    observer.emplace(program.Main(), program.Values(), events,
                     [&host, &book](const std::string& call) {
                         return CountedByIncident(book, call, EvidenceOf(host.Emergencies(), call));
                     });
    if (mainWindow) {
        // An emergency is shown at once, before it is logged and told, not at the next paced
        // moment of the window.
        events.Subscribe([&pacer = mainWindow->Pacer()](const incidents::Event& event) {
            if (std::holds_alternative<incidents::Emergency>(event.what)) pacer.Flush();
        });
    }
    board.emplace(host, program.Main(), book, hostSettings.callsign,
                  qt_host::FeedWatch::SystemSeconds);
    board->SetProgramValues(program.Values());
    FollowLanguageAndUnit(program.Main(), *board);
    // The incident log's health is on the dashboard; what it could not write is tried again.
    board->WatchLog(outlets.log.Health());
    outlets.log.SetHealthListener([&board] { board->Changed(); });
    QTimer logRetry;
    QObject::connect(&logRetry, &QTimer::timeout, [&outlets] { outlets.log.Retry(); });
    logRetry.start(5000);
    KeepIncidents(book, events, host, watchSettings.watchList);
    program.SetHeldBack([&book](const std::string& callsign) { return HeldBack(book, callsign); });
    RouteIncidents(events, host, book, outlets, options, headless);
    events.Subscribe([&board](const incidents::Event& event) { board->Event(event); });
    // SIGHUP: what can change while watching is read again; the station table, the alarm
    // and the feed stay as they are.
    const auto reload = [&] {
        const Reread fresh = ReadAgain(*hostFolder, options, commandInForce);
        if (fresh.command) {
            commandInForce = *fresh.command;
            outlets.command = MakeEmergencyCommand(commandInForce);
        }
        outlets.log.KeepDays(fresh.settings.incidentDays);
        book.SetWatchList(fresh.settings.watchList);
        program.Values().TipoMessaggio = MessageType(program.Values().FileIni);
        host.SetEmergencyType(program.Values().TipoMessaggio);
        platform::LogLine(platform::Level::Info)
            << "sirenwatch: settings read again from " << program.Values().FileIni << " and "
            << builtin_host::HostIniPath(*hostFolder);
    };
    StopSignals stop(
        [&host] {
            host.Close();
            QApplication::exit(0);  // when the add-on was not running, nobody else quits
        },
        reload);

    const auto dashboard = StartDashboard(options, watchSettings, folder, *board);

    if (!program.Start()) return 1;
    host.SetEmergencyType(program.Values().TipoMessaggio);
    // What the watch before knew comes back, the alarm too while an incident waits for it.
    if (kept.Start()) program.Main().TimerAllarme.SetTimerEnabled(true);
    program.Main().Show();

    std::unique_ptr<qt_host::MapView> map;
    if (mainWindow) map = OpenMapWindow(host, hostSettings, *mainWindow);
    if (map) {
        FurnishMap(*map, folder, watchSettings, outlets.log);
        map->inMiles = [&values = program.Values()] { return values.UnitaMisura != 1; };
        map->heldBack = [&book](const std::string& callsign) {
            const incidents::Incident* incident = book.Latest(callsign);
            return incident != nullptr && incident->state != incidents::State::Closed
                       ? incident->heldBackReason
                       : std::string();
        };
    }
    const auto incidentList = map ? OpenIncidentList(*board, *map) : nullptr;
    const std::string call = options.call.value_or(
        hostSettings.callsign.empty() ? builtin_host::kDefaultCallsign : hostSettings.callsign);
    auto feed = MakeFeed(feedSettings, call, VersionText());
    board->SetFeedName(feed->Describe().toStdString());
    host.SetFrameListener([view = map.get(), &board] {
        if (view != nullptr) view->StationsChanged();
        board->FrameHeard();
    });
    const auto watch = qt_host::WatchFeed(
        *feed,
        watch_settings::SilenceLimitSeconds(feedSettings.source, watchSettings.silenceMinutes),
        events, map.get(), ports.sound, platform::JoinPath(folder, "lowtemp.wav"));
    StartFeed(*feed, host, headless, map.get(), mainWindow ? &mainWindow->Pacer() : nullptr);
    const auto probe = qt::LoopProbe::FromEnvironment();
    const auto latencyProbe = LatencyProbe::FromEnvironment(mainWindow.get());
    const int exitCode = QApplication::exec();
    kept.Stop();
    return exitCode;
}

}  // namespace app
