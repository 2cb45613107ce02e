// The Windows composition of the built-in host: the same watch as the Linux program's, its
// network loop's queue drained on the Win32 message loop, its timers Windows timers.
#include "app/windows/HostRun.h"

#include <windows.h>

#include <iostream>
#include <optional>

#include "app/FeedOptions.h"
#include "app/MqttWiring.h"
#include "app/Reload.h"
#include "app/SettingsCheck.h"
#include "app/StartChecks.h"
#include "builtin_host/BuiltinHost.h"
#include "builtin_host/HostSettings.h"
#include "builtin_host/HostSetup.h"
#include "incident_outlets/Notifier.h"
#include "net/IoThread.h"
#include "net/UiQueue.h"
#include "platform/Log.h"
#include "program/HeadlessDialogs.h"
#include "program/Sirenwatch.h"
#include "settings/IniUserStore.h"
#include "settings/StringTable.h"
#include "watch/DashboardStart.h"
#include "watch/ExportCommand.h"
#include "watch/FeedChoice.h"
#include "watch/FeedSilence.h"
#include "watch/HostFolder.h"
#include "watch/IncidentRouting.h"
#include "watch/SettingsFilesWatch.h"
#include "watch/Watch.h"
#include "watch_settings/WatchSettings.h"
#include "win32/FormWindow.h"
#include "win32/SafeCall.h"
#include "win32/Timers.h"
#include "win32/Win32Platform.h"
#include "win32/Win32Timers.h"
#include "win32_host/IncidentList.h"
#include "win32_host/MapWindow.h"
#include "win32_host/TrayIcon.h"

namespace winhost {
namespace {

constexpr UINT kDrainMessage = WM_APP + 7;
constexpr wchar_t kQueueClass[] = L"Sirenwatch.NetworkQueue";

std::string VersionText() {
    return std::to_string(SIRENWATCH_VERSION_MAJOR) + "." +
           std::to_string(SIRENWATCH_VERSION_MINOR) + "." +
           std::to_string(SIRENWATCH_VERSION_PATCH);
}

// What the network loop hears reaches this thread as one posted message to a message-only
// window: a window's messages are delivered inside message boxes' own loops too.
class QueueWindow {
public:
    explicit QueueWindow(net::UiQueue& queue) : queue_(queue) {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = WindowProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kQueueClass;
        RegisterClassExW(&windowClass);  // a second one finds it registered already
        window_ = CreateWindowExW(0, kQueueClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  windowClass.hInstance, nullptr);
        SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        queue_.SetWaker([window = window_] { PostMessageW(window, kDrainMessage, 0, 0); });
    }
    ~QueueWindow() { DestroyWindow(window_); }
    QueueWindow(const QueueWindow&) = delete;
    QueueWindow& operator=(const QueueWindow&) = delete;

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM w, LPARAM l) {
        auto* self = reinterpret_cast<QueueWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (message != kDrainMessage || self == nullptr)
            return DefWindowProcW(window, message, w, l);
        win32::SafeCall([self] { self->queue_.Drain(); });
        return 0;
    }

    net::UiQueue& queue_;
    HWND window_ = nullptr;
};

// The MQTT net's queue drained by a message-only window of its own, for as long as it lives.
std::shared_ptr<void> DrainOnWindow(net::UiQueue& queue) {
    return std::make_shared<QueueWindow>(queue);
}

// Where the built-in host keeps its files on Windows: its settings and the per-user entry that
// names its folder in the settings folder (beside the exe, or %APPDATA%\Sirenwatch installed),
// the incident log in the data folder (beside the exe, or %LOCALAPPDATA%\Sirenwatch). The
// registry's entry stays UI-View32's.
platform::FileLayout HostLayout(const win32::Win32ProgramInfo& program) {
    platform::FileLayout layout;
    layout.shared = program.Folder();
    layout.settings = program.SettingsFolder();
    layout.hostFolder = platform::JoinPath(layout.settings, "host");
    layout.userStore = layout.settings;
    layout.data = program.TestLogFolder();
    layout.testLog = layout.data;
    layout.installed = layout.settings != layout.shared;
    return layout;
}

void RunMessageLoop(builtin_host::BuiltinHost& host, UINT closeMessage) {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.hwnd == nullptr && message.message == closeMessage) {
            win32::SafeCall([&host] { host.Close(); });
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// The feed's lines to the host, its state to the log; headless, the end of the traffic closes
// the host as its window would, so the add-on saves its settings on the way out.
void StartFeed(feeds::Feed& feed, builtin_host::BuiltinHost& host, bool headless) {
    feed.SetLineHandler([&host](const std::string& line) { host.OnTnc2Line(line); });
    feed.SetStatusHandler([](const std::string& status) {
        platform::LogLine(platform::Level::Info, "feed") << status;
    });
    if (headless) feed.SetEndHandler([&host] { host.Close(); });
    feed.Start();
}

// The host's windows beside the add-on's: the map with the shipped base map, the incident list
// under it with the operators' actions, and the icon in the notification area whose balloon
// tells each new emergency.
struct HostWindows {
    win32_host::MapWindow map;
    win32_host::TrayIcon tray;
    std::optional<win32_host::IncidentList> incidentList;

    HostWindows(builtin_host::BuiltinHost& host, const builtin_host::HostSettings& settings,
                const std::string& folder, HWND mainWindow, dashboard::Source& board)
        : map(host.MapState(), host.Stations()) {
        map.SetEvidence(&host.Emergencies());
        map.SetHomeCallsign(settings.callsign);
        map.SetBaseMap(watch::LoadShippedBaseMap(folder));
        map.onClose = [&host] { host.Close(); };
        PlaceBeside(mainWindow);
        incidentList.emplace(board, map.Handle());  // under the map, where it now stands
        tray.onActivate = [this, mainWindow] {
            SetForegroundWindow(map.Handle());
            SetForegroundWindow(mainWindow);
        };
    }

    void Tell(const incidents::Event& event, bool english) {
        if (const auto notification = incidents::NotificationFor(event, english))
            tray.Tell(notification->summary, notification->body, notification->critical);
    }

private:
    // To the right of the add-on's window, 640 by 480.
    void PlaceBeside(HWND mainWindow) {
        RECT main{};
        GetWindowRect(mainWindow, &main);
        SetWindowPos(map.Handle(), nullptr, main.right + 16, main.top, 640, 480,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
};

watch::Printed PrintedFor(const app::CommandLine& options) {
    if (options.json) return watch::Printed::JsonLines;
    return options.headless ? watch::Printed::TabLines : watch::Printed::Nothing;
}

}  // namespace

bool WantsBuiltinHost(const app::CommandLine& options) {
    return options.feed.has_value() || options.host || options.exportFile.has_value() ||
           options.check;
}

int RunBuiltinHost(const app::CommandLine& options, unsigned closeMessage) {
    const bool headless = options.headless;
    win32::Win32Platform platform;
    const platform::FileLayout layout = HostLayout(platform.program);
    if (options.exportFile)
        return watch::ExportIncidentLog(layout.data, *options.exportFile, options.since, std::cout,
                                        std::cerr);
    if (options.check)
        return app::CheckSettings(options, {.layout = layout, .regional = platform.regional},
                                  std::cout, std::cerr);
    // Checked before the host's set-up, whose folder may lie in it: the one true reason.
    if (const auto writable = app::DataFolderWritable(layout.data); !writable) {
        platform::LogLine(platform::Level::Error) << writable.error().text;
        return 1;
    }
    const auto hostFolder = watch::PrepareHost(layout);
    if (!hostFolder) return 1;
    const app::StartSettings start = app::ReadStartSettings(options, layout, *hostFolder, false);
    if (const auto refused = app::TellFindings(app::CheckStart(options, start))) return *refused;
    const builtin_host::HostSettings& hostSettings = start.host;
    const watch_settings::WatchSettings& watchSettings = start.watch;
    const watch_settings::FeedSettings& feedSettings = start.feed;
    std::string commandInForce = start.command;

    settings::IniUserStore hostRegistration(layout.userStore);
    program::RunPorts runPorts(platform.ports, hostRegistration, headless, std::cerr);
    platform::Ports& ports = runPorts.Ports();

    // The feed works on the network loop's thread; what it hears crosses to this thread by one
    // queue. Both outlive everything that reads or is told.
    net::UiQueue fromNetwork;
    QueueWindow drain(fromNetwork);
    net::IoThread network;
    network.Start();

    win32::Win32Timers timers;
    watch::Watch watch(platform.clock, timers,
                       {hostSettings, watchSettings, feedSettings, layout.data, commandInForce});
    program::Sirenwatch program(ports, watch.host);
    std::optional<win32::FormWindow> mainWindow;
    if (!headless) {
        mainWindow.emplace(program.Main());
        platform.SetMainWindow(mainWindow->Handle());
    }
    win32::Timers formTimers(program.Main());
    std::unique_ptr<app::MqttNet> mqttNet;
    watch.Join(program, PrintedFor(options), [&] {
        const app::MqttHome home{timers, DrainOnWindow, VersionText()};
        mqttNet = app::StartMqtt(options, start, watch.events, watch.book, program.Main(),
                                 *watch.board, home);
    });
    const auto dashboard = watch::StartDashboard(options.dashboard, watchSettings, layout.shared,
                                                 *watch.board, network, fromNetwork, timers);

    if (!watch.Start(program)) return 1;
    std::optional<HostWindows> windows;
    if (mainWindow) {
        windows.emplace(watch.host, hostSettings, layout.shared, mainWindow->Handle(),
                        *watch.board);
        windows->map.inMiles = [&values = program.Values()] { return values.UnitaMisura != 1; };
        windows->map.heldBack = [&book = watch.book](const std::string& callsign) {
            return incidents::HeldBackReason(book, callsign);
        };
        watch.outlets.notify = [&windows,
                                &values = program.Values()](const incidents::Event& event) {
            windows->Tell(event, values.CodiceLingua == settings::kEnglish);
        };
    }
    watch.host.SetFrameListener([&windows, &board = *watch.board] {
        if (windows) windows->map.StationsChanged();
        board.FrameHeard();
    });

    const std::string call = options.call.value_or(
        hostSettings.callsign.empty() ? builtin_host::kDefaultCallsign : hostSettings.callsign);
    auto feed =
        watch::MakeFeed(feedSettings, call, VersionText(), {network.Context(), fromNetwork});
    watch.board->SetFeedName(feed->Describe());
    // With the map window, silence shows on its band and sounds the siren once.
    watch::SilenceOutlets silenceShown;
    if (windows) {
        silenceShown.warn = [&windows](const std::string& text) { windows->map.SetWarning(text); };
        silenceShown.siren = [&ports, siren = platform::JoinPath(layout.shared, "lowtemp.wav")] {
            ports.sound.Play(siren);
        };
    }
    const auto feedWatch = watch::WatchFeed(
        *feed,
        watch_settings::SilenceLimitSeconds(feedSettings.source, watchSettings.silenceMinutes),
        watch.events, timers, std::move(silenceShown));
    // No signal asks a Windows program to read its settings again: saving them does.
    const app::ReloadTargets reloadTargets{*hostFolder, options,    commandInForce,   watch.outlets,
                                           timers,      watch.book, program.Values(), watch.host};
    const watch::SettingsFilesWatch settingsWatch(
        timers, {program.Values().FileIni, builtin_host::HostIniPath(*hostFolder)},
        [&reloadTargets] { app::ReadSettingsAgain(reloadTargets); });
    StartFeed(*feed, watch.host, headless);
    RunMessageLoop(watch.host, closeMessage);
    watch.Stop();
    return 0;
}

}  // namespace winhost
