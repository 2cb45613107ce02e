// Sirenwatch.exe: the add-on beside the station program on Windows, talking to it through its
// automation objects, in its native windows; or headless, with emergencies and alarms printed
// on standard output and messages on standard error, as the Linux build does with --headless.
// Given a feed (or --host), it watches with its own built-in host, without the station program.
#include <objbase.h>
#include <windows.h>

#include <cstdio>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/windows/HostRun.h"
#include "com/ComHost.h"
#include "com/MessageFilter.h"
#include "incidents/FormObserver.h"
#include "incidents/TabLines.h"
#include "platform/Log.h"
#include "program/HeadlessDialogs.h"
#include "program/Sirenwatch.h"
#include "win32/FormWindow.h"
#include "win32/SafeCall.h"
#include "win32/Text.h"
#include "win32/Timers.h"
#include "win32/Win32Platform.h"

namespace {

constexpr UINT kCloseMessage = WM_APP + 1;
DWORD mainThread = 0;

const char kUsage[] =
    "Usage: Sirenwatch.exe [--headless]\n"
    "Watches the traffic UI-View32 receives for emergency beacons; UI-View32 must be running.\n"
    "UI-View32 starts it from the registration file written by SetUp > File XTR.\n"
    "  --headless   no windows: one line per emergency and per alarm on standard output\n"
    "  --version    the version\n"
    "  --help       this text\n"
    "Without UI-View32, with its own built-in host:\n"
    "  --kiss HOST:PORT, --agwpe HOST:PORT, --serial COMn[:BAUD], --aprs-is HOST:PORT,\n"
    "  --replay FILE [--fast], --stdin   the feed to watch\n"
    "  --host       the feed in the settings (first run: the demo traffic)\n"
    "  --json, --on-emergency COMMAND, --call CALL, --filter FILTER,\n"
    "  --dashboard [ADDRESS:]PORT   as on Linux\n"
    "  --check      the built-in host's settings in force, checked; the watch does not start\n"
    "  Saving the settings files while it watches reads them again.\n"
    "  --export FILE [--since TIME]   the built-in host's incident log to FILE (.gpx or .kml)\n";

// Ctrl+C and the console closing close Sirenwatch as its window would.
BOOL WINAPI OnConsoleEvent(DWORD) {
    PostThreadMessageW(mainThread, kCloseMessage, 0, 0);
    return TRUE;
}

// A windowed program has no console of its own: started from a command prompt, it writes
// there, unless its output was redirected already.
void UseParentConsole() {
    const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    if (output != nullptr && output != INVALID_HANDLE_VALUE) return;
    if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
    std::freopen("CONOUT$", "w", stdout);
    std::freopen("CONOUT$", "w", stderr);
}

struct ComApartment {
    ComApartment() { ok = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)); }
    ~ComApartment() {
        if (ok) CoUninitialize();
    }
    bool ok = false;
};

// Runs the message loop until the program quits. F1 anywhere opens the help; a close asked
// for from the console closes the main window.
void RunMessageLoop(program::Sirenwatch& sirenwatch) {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.hwnd == nullptr && message.message == kCloseMessage) {
            win32::SafeCall([&] { sirenwatch.Close(); });
            continue;
        }
        if (message.message == WM_KEYDOWN && message.wParam == VK_F1) {
            win32::SafeCall(sirenwatch.Main().MnuHelp.onClick);
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

int Run(bool headless) {
    win32::Win32Platform platform;
    program::RunPorts runPorts(platform.ports, headless, std::cerr);
    platform::Ports& ports = runPorts.Ports();

    // A host that answers "busy" is asked again for a while before its call counts as failed.
    com::MessageFilterScope busyRetry;
    com::ComConnector connector;
    // The report outlives the forms it listens to, whatever they signal as they go.
    incidents::Stream events;
    std::optional<incidents::FormObserver> report;
    program::Sirenwatch sirenwatch(ports, connector);
    std::optional<win32::FormWindow> mainWindow;
    if (headless) {
        events.Subscribe(incidents::TabLinePrinter(std::cout));
        report.emplace(sirenwatch.Main(), sirenwatch.Values(), events);
    } else {
        mainWindow.emplace(sirenwatch.Main());
        platform.SetMainWindow(mainWindow->Handle());
    }
    win32::Timers timers(sirenwatch.Main());

    if (!sirenwatch.Start()) return 1;
    sirenwatch.Main().Show();
    RunMessageLoop(sirenwatch);
    return 0;
}

// The built-in host's command line, when it asks for the built-in host; nothing otherwise.
std::optional<app::CommandLine> BuiltinHostOptions(int argc, wchar_t** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.push_back(win32::Utf8(argv[i]));
    const auto parsed = app::ParseCommandLine(args);
    if (!parsed || parsed->help || parsed->version || !winhost::WantsBuiltinHost(*parsed))
        return std::nullopt;
    return *parsed;
}

// A mistake in the built-in host's options (a port that is no number...) is told in its own
// words; the add-on's options and unknown ones are the add-on's to answer.
std::optional<std::string> HostOptionMistake(int argc, wchar_t** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.push_back(win32::Utf8(argv[i]));
    const auto parsed = app::ParseCommandLine(args);
    if (parsed || parsed.error().text.find("unknown option") != std::string::npos)
        return std::nullopt;
    return parsed.error().text;
}

int RunHost(const app::CommandLine& options) {
    mainThread = GetCurrentThreadId();
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
    return winhost::RunBuiltinHost(options, kCloseMessage);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    UseParentConsole();
    if (const auto host = BuiltinHostOptions(argc, argv)) return RunHost(*host);
    if (const auto mistake = HostOptionMistake(argc, argv)) {
        std::cerr << "Sirenwatch: " << *mistake << '\n' << kUsage;
        return 2;
    }
    bool headless = false;
    for (int i = 1; i < argc; ++i) {
        const std::string option = win32::Utf8(argv[i]);
        if (option == "--help") {
            std::cout << kUsage;
            return 0;
        }
        if (option == "--version") {
            std::cout << "Sirenwatch " << SIRENWATCH_VERSION_MAJOR << '.'
                      << SIRENWATCH_VERSION_MINOR << '.' << SIRENWATCH_VERSION_PATCH << '\n';
            return 0;
        }
        if (option != "--headless") {
            // The command line's mistakes and usage are this command's own answer on standard
            // error, not a log line.
            std::cerr << "Sirenwatch: unknown option '" << option << "'\n" << kUsage;
            return 2;
        }
        headless = true;
    }
    ComApartment apartment;
    if (!apartment.ok) {
        platform::Log(platform::Level::Error, "COM cannot be started", "Sirenwatch");
        return 1;
    }
    mainThread = GetCurrentThreadId();
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
    return Run(headless);
}
