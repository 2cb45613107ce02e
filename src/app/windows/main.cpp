// Sirenwatch.exe: the add-on beside the station program on Windows, talking to it through its
// automation objects. For now it runs headless: emergencies and alarms are printed on standard
// output, messages on standard error, as the Linux build does with --headless.
#include <objbase.h>
#include <windows.h>

#include <iostream>
#include <optional>
#include <string>

#include "com/ComHost.h"
#include "program/EmergencyReport.h"
#include "program/HeadlessDialogs.h"
#include "program/Sirenwatch.h"
#include "win32/Text.h"
#include "win32/Timers.h"
#include "win32/Win32Ports.h"

namespace {

constexpr UINT kCloseMessage = WM_APP + 1;
DWORD mainThread = 0;

const char kUsage[] =
    "Usage: Sirenwatch.exe [--headless]\n"
    "Watches the traffic UI-View32 receives for emergency beacons; UI-View32 must be running.\n"
    "  --headless   no windows: one line per emergency and per alarm on standard output\n"
    "  --version    the version\n"
    "  --help       this text\n";

// Ctrl+C and the console closing close Sirenwatch as its window would.
BOOL WINAPI OnConsoleEvent(DWORD) {
    PostThreadMessageW(mainThread, kCloseMessage, 0, 0);
    return TRUE;
}

struct ComApartment {
    ComApartment() { ok = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)); }
    ~ComApartment() {
        if (ok) CoUninitialize();
    }
    bool ok = false;
};

int Run() {
    win32::RegistryUserStore userStore;
    win32::MutexSingleInstance instance;
    win32::WindowLayer layer;
    win32::LocalClock clock;
    win32::UserRegional regional;
    win32::ModuleProgramInfo program;
    win32::HtmlHelp help;
    win32::MessageLoopApplication app;
    program::HeadlessDialogs dialogs(std::cerr);
    program::SilentSound silence;
    platform::Ports ports{dialogs, silence,  layer,   userStore, instance,
                          clock,   regional, program, help,      app};

    com::ComConnector connector;
    // The report outlives the forms it listens to, whatever they signal as they go.
    std::optional<program::EmergencyReport> report;
    program::Sirenwatch sirenwatch(ports, connector);
    report.emplace(sirenwatch.Main(), std::cout);
    win32::Timers timers(sirenwatch.Main());

    if (!sirenwatch.Start()) return 1;
    sirenwatch.Main().Show();
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.hwnd == nullptr && message.message == kCloseMessage) {
            sirenwatch.Close();
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
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
            std::cerr << "Sirenwatch: unknown option '" << option << "'\n" << kUsage;
            return 2;
        }
    }
    ComApartment apartment;
    if (!apartment.ok) {
        std::cerr << "Sirenwatch: COM cannot be started\n";
        return 1;
    }
    mainThread = GetCurrentThreadId();
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
    return Run();
}
