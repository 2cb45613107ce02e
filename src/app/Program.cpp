// Composition of the executable: first-run host set-up, ports, the add-on, windows, feed.
#include "app/Program.h"

#include <QApplication>
#include <QIcon>
#include <QTimer>
#include <iostream>
#include <memory>
#include <optional>

#include "app/FeedSetup.h"
#include "app/MqttWiring.h"
#include "app/ProgramWindows.h"
#include "app/Reload.h"
#include "app/StartChecks.h"
#include "app/StopSignals.h"
#include "builtin_host/BuiltinHost.h"
#include "builtin_host/HostSetup.h"
#include "incident_outlets/EmergencyCommand.h"
#include "incident_outlets/IncidentLog.h"
#include "incident_ui/DesktopNotifier.h"
#include "incidents/FormObserver.h"
#include "net/IoThread.h"
#include "net/UiQueue.h"
#include "platform/Log.h"
#include "platform/Paths.h"
#include "program/HeadlessDialogs.h"
#include "program/Sirenwatch.h"
#include "qt/FormWindow.h"
#include "qt/LatencyProbe.h"
#include "qt/LoopProbe.h"
#include "qt/QtPlatform.h"
#include "qt/QtTimers.h"
#include "qt/UiQueueOnQt.h"
#include "qt_host/MapView.h"
#include "settings/ProfileFile.h"
#include "watch/DashboardStart.h"
#include "watch/FeedSilence.h"
#include "watch/HostFolder.h"
#include "watch/IncidentRouting.h"
#include "watch/KeptIncidents.h"
#include "watch/WatchBoard.h"
#include "watch_settings/WatchSettings.h"

namespace app {

using qt::LatencyProbe;
using watch::FollowLanguageAndUnit;
using watch::WatchBoard;

std::string VersionText() {
    return std::to_string(SIRENWATCH_VERSION_MAJOR) + "." +
           std::to_string(SIRENWATCH_VERSION_MINOR) + "." +
           std::to_string(SIRENWATCH_VERSION_PATCH);
}

bool NoDisplay() {
    return qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

int RunProgram(const CommandLine& options, bool headless) {
    platform::SetJournalPriorities(!qEnvironmentVariableIsEmpty("JOURNAL_STREAM"));
    QApplication::setApplicationName("Sirenwatch");
    QApplication::setApplicationVersion(QString::fromStdString(VersionText()));
    // The program ends through its own close path only, never because a window went away.
    QApplication::setQuitOnLastWindowClosed(false);

    qt::QtPlatform platform;
    const std::string folder = platform.program.SharedFolder();
    QApplication::setWindowIcon(QIcon(QString::fromStdString(folder + "/sirenwatch.png")));
    const platform::FileLayout layout = qt::CurrentLayout();
    // Checked before the host's set-up, whose folder may lie in it: the one true reason.
    if (const auto writable = DataFolderWritable(layout.data); !writable) {
        platform::LogLine(platform::Level::Error) << writable.error().text;
        return 1;
    }
    const auto hostFolder = watch::PrepareHost(layout);
    if (!hostFolder) return 1;
    const StartSettings start = ReadStartSettings(options, layout, *hostFolder, false);
    std::vector<Finding> findings = CheckStart(options, start);
    CheckMqtt(options, start, findings);
    if (const auto refused = TellFindings(findings)) return *refused;
    const builtin_host::HostSettings& hostSettings = start.host;
    const watch_settings::WatchSettings& watchSettings = start.watch;
    const watch_settings::FeedSettings& feedSettings = start.feed;
    std::string commandInForce = start.command;

    program::RunPorts runPorts(platform.ports, headless, std::cerr);
    platform::Ports& ports = runPorts.Ports();

    // The feed and the dashboard's server work on the network loop's thread; what they hear
    // crosses to this thread by one queue, drained on the Qt loop. Both outlive everything
    // that reads or is told.
    net::UiQueue fromNetwork;
    QObject drainContext;
    qt::DrainOnQtLoop(fromNetwork, &drainContext);
    net::IoThread network;
    network.Start();

    builtin_host::BuiltinHost host(
        platform.clock,
        builtin_host::HomeFromSettings(hostSettings).value_or(builtin_host::HomePosition{}));
    host.MapState().SetScale(hostSettings.mapScale);  // the map window opens at it
    // The reports outlive the forms they listen to, whatever they signal as they go.
    qt::QtTimers timers;
    incident_ui::DesktopNotifier notifier(
        incident_ui::SessionBusIfAny(),
        QString::fromStdString(platform::JoinPath(folder, "sirenwatch.png")));
    watch::Outlets outlets{
        .log = incidents::IncidentLog(watch::LogFolder(layout.data, feedSettings)),
        .notify = [&notifier](const incidents::Event& event) { notifier.Tell(event); },
        .command = watch::MakeEmergencyCommand(timers, commandInForce)};
    outlets.log.KeepDays(watchSettings.incidentDays);
    incidents::Stream events(watch::FeedWatch::SystemSeconds);
    std::optional<incidents::FormObserver> observer;
    incidents::IncidentBook book;
    watch::KeptIncidents kept(timers, book, events, outlets.log.Folder(),
                              feedSettings.source != watch_settings::FeedSource::Replay,
                              watch::HomePlace(hostSettings));
    std::optional<WatchBoard> board;
    program::Sirenwatch program(ports, host);
    QObject headlessTimers;  // it and the window go before the models they follow
    const auto mainWindow = MakeMainWindow(program, platform, headless, headlessTimers);
    observer.emplace(program.Main(), program.Values(), events,
                     [&host, &book](const std::string& call) {
                         return watch::EvidenceCounted(host, book, call);
                     });
    if (mainWindow) {
        // An emergency is shown at once, before it is logged and told, not at the next paced
        // moment of the window.
        events.Subscribe([&pacer = mainWindow->Pacer()](const incidents::Event& event) {
            if (std::holds_alternative<incidents::Emergency>(event.what)) pacer.Flush();
        });
    }
    board.emplace(host, program.Main(), book, hostSettings.callsign,
                  watch::FeedWatch::SystemSeconds);
    board->SetProgramValues(program.Values());
    FollowLanguageAndUnit(program.Main(), *board);
    // The incident log's health is on the dashboard; what it could not write is tried again.
    board->WatchLog(outlets.log.Health());
    outlets.log.SetHealthListener([&board] { board->Changed(); });
    platform::RepeatingTimer logRetry(timers);
    logRetry.Start(5000, [&outlets] { outlets.log.Retry(); });
    watch::KeepIncidents(book, events, host, watchSettings.watchList);
    program.SetHeldBack(
        [&book](const std::string& callsign) { return incidents::HeldBack(book, callsign); });
    watch::RouteIncidents(events, host, book, outlets,
                          options.json ? watch::Printed::JsonLines
                          : headless   ? watch::Printed::TabLines
                                       : watch::Printed::Nothing);
    const auto mqttNet =
        StartMqtt(options, start, events, book, program.Main(), *board, VersionText());
    events.Subscribe([&board](const incidents::Event& event) { board->Event(event); });
    watch::SoundReopenedIncidents(events, book, program.Main().TimerAllarme);  // after printers
    // SIGHUP: what can change while watching is read again; the station table, the alarm
    // and the feed stay as they are.
    const ReloadTargets reloadTargets{*hostFolder, options, commandInForce,   outlets,
                                      timers,      book,    program.Values(), host};
    const auto reload = [&reloadTargets] { ReadSettingsAgain(reloadTargets); };
    StopSignals stop(
        [&host] {
            host.Close();
            QApplication::exit(0);  // when the add-on was not running, nobody else quits
        },
        reload);

    const auto dashboard = watch::StartDashboard(options.dashboard, watchSettings, folder, *board,
                                                 network, fromNetwork, timers);

    if (!program.Start()) return 1;
    host.SetEmergencyType(program.Values().TipoMessaggio);
    // What the watch before knew comes back, the alarm too while an incident waits for it.
    if (kept.Start()) program.Main().TimerAllarme.SetTimerEnabled(true);
    program.Main().Show();

    std::unique_ptr<qt_host::MapView> map;
    if (mainWindow) map = OpenMapWindow(host, hostSettings, *mainWindow);
    if (map) {
        FurnishMap(*map, folder, watchSettings, outlets.log, network, fromNetwork);
        map->inMiles = [&values = program.Values()] { return values.UnitaMisura != 1; };
        map->heldBack = [&book](const std::string& callsign) {
            return incidents::HeldBackReason(book, callsign);
        };
    }
    const auto incidentList = map ? OpenIncidentList(*board, *map) : nullptr;
    const std::string call = options.call.value_or(
        hostSettings.callsign.empty() ? builtin_host::kDefaultCallsign : hostSettings.callsign);
    auto feed = MakeFeed(feedSettings, call, VersionText(), {network.Context(), fromNetwork});
    board->SetFeedName(feed->Describe());
    host.SetFrameListener([view = map.get(), &board] {
        if (view != nullptr) view->StationsChanged();
        board->FrameHeard();
    });
    // With a map window, silence shows on its band and sounds the siren once.
    watch::SilenceOutlets silenceShown;
    if (map) {
        silenceShown.warn = [view = map.get()](const std::string& text) {
            view->SetWarning(QString::fromStdString(text));
        };
        silenceShown.siren = [&ports, siren = platform::JoinPath(folder, "lowtemp.wav")] {
            ports.sound.Play(siren);
        };
    }
    const auto feedWatch = watch::WatchFeed(
        *feed,
        watch_settings::SilenceLimitSeconds(feedSettings.source, watchSettings.silenceMinutes),
        events, timers, std::move(silenceShown));
    StartFeed(*feed, host, headless, map.get(), mainWindow ? &mainWindow->Pacer() : nullptr);
    const auto probe = qt::LoopProbe::FromEnvironment();
    const auto latencyProbe = LatencyProbe::FromEnvironment(mainWindow.get());
    const int exitCode = QApplication::exec();
    kept.Stop();
    return exitCode;
}

}  // namespace app
