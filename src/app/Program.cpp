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
#include "incident_ui/DesktopNotifier.h"
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
#include "settings/StringTable.h"
#include "watch/DashboardStart.h"
#include "watch/FeedSilence.h"
#include "watch/HostFolder.h"
#include "watch/IncidentRouting.h"
#include "watch/Watch.h"
#include "watch_settings/WatchSettings.h"

namespace app {

using qt::LatencyProbe;

std::string VersionText() {
    return std::to_string(SIRENWATCH_VERSION_MAJOR) + "." +
           std::to_string(SIRENWATCH_VERSION_MINOR) + "." +
           std::to_string(SIRENWATCH_VERSION_PATCH);
}

bool NoDisplay() {
    return qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

// The MQTT net's queue drained on the Qt loop, for as long as the context lives.
std::shared_ptr<void> DrainOnQt(net::UiQueue& queue) {
    auto context = std::make_shared<QObject>();
    qt::DrainOnQtLoop(queue, context.get());
    return context;
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
    if (const auto refused = TellFindings(CheckStart(options, start))) return *refused;
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

    // The reports outlive the forms they listen to, whatever they signal as they go.
    qt::QtTimers timers;
    incident_ui::DesktopNotifier notifier(
        incident_ui::SessionBusIfAny(),
        QString::fromStdString(platform::JoinPath(folder, "sirenwatch.png")));
    watch::Watch watch(platform.clock, timers,
                       {hostSettings, watchSettings, feedSettings, layout.data, commandInForce});
    watch.outlets.notify = [&notifier](const incidents::Event& event) { notifier.Tell(event); };
    program::Sirenwatch program(ports, watch.host);
    notifier.SetEnglish(
        [&values = program.Values()] { return values.CodiceLingua == settings::kEnglish; });
    QObject headlessTimers;  // it and the window go before the models they follow
    const auto mainWindow = MakeMainWindow(program, platform, headless, headlessTimers);
    if (mainWindow) {
        // An emergency is shown at once, before it is logged and told, not at the next paced
        // moment of the window.
        watch.events.Subscribe([&pacer = mainWindow->Pacer()](const incidents::Event& event) {
            if (std::holds_alternative<incidents::Emergency>(event.what)) pacer.Flush();
        });
    }
    std::unique_ptr<MqttNet> mqttNet;
    watch.Join(program,
               options.json ? watch::Printed::JsonLines
               : headless   ? watch::Printed::TabLines
                            : watch::Printed::Nothing,
               [&] {
                   mqttNet = StartMqtt(options, start, watch.events, watch.book, program.Main(),
                                       *watch.board, {timers, DrainOnQt, VersionText()});
               });
    // SIGHUP: what can change while watching is read again; the station table, the alarm
    // and the feed stay as they are.
    const ReloadTargets reloadTargets{*hostFolder, options,    commandInForce,   watch.outlets,
                                      timers,      watch.book, program.Values(), watch.host};
    const auto reload = [&reloadTargets] { ReadSettingsAgain(reloadTargets); };
    StopSignals stop(
        [&watch] {
            watch.host.Close();
            QApplication::exit(0);  // when the add-on was not running, nobody else quits
        },
        reload);

    const auto dashboard = watch::StartDashboard(options.dashboard, watchSettings, folder,
                                                 *watch.board, network, fromNetwork, timers);

    // What the watch before knew comes back, the alarm too while an incident waits for it.
    if (!watch.Start(program)) return 1;

    std::unique_ptr<qt_host::MapView> map;
    if (mainWindow) map = OpenMapWindow(watch.host, hostSettings, *mainWindow);
    if (map) {
        FurnishMap(*map, folder, watchSettings, watch.outlets.log, network, fromNetwork);
        map->inMiles = [&values = program.Values()] { return values.UnitaMisura != 1; };
        map->heldBack = [&book = watch.book](const std::string& callsign) {
            return incidents::HeldBackReason(book, callsign);
        };
    }
    const auto incidentList = map ? OpenIncidentList(*watch.board, *map) : nullptr;
    const std::string call = options.call.value_or(
        hostSettings.callsign.empty() ? builtin_host::kDefaultCallsign : hostSettings.callsign);
    auto feed = MakeFeed(feedSettings, call, VersionText(), {network.Context(), fromNetwork});
    watch.board->SetFeedName(feed->Describe());
    watch.host.SetFrameListener([view = map.get(), &board = *watch.board] {
        if (view != nullptr) view->StationsChanged();
        board.FrameHeard();
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
        watch.events, timers, std::move(silenceShown));
    StartFeed(*feed, watch.host, headless, map.get(), mainWindow ? &mainWindow->Pacer() : nullptr);
    const auto probe = qt::LoopProbe::FromEnvironment();
    const auto latencyProbe = LatencyProbe::FromEnvironment(mainWindow.get());
    const int exitCode = QApplication::exec();
    watch.Stop();
    return exitCode;
}

}  // namespace app
