// standin_host.exe: an out-of-process automation server that stands in for the station program
// in the Windows tests. It registers the program's class and interface identifiers, plays a
// capture through the built-in host's logic, raising DataAvailable for each line, and
// UIView32IsClosing at its end, and writes every call it receives to a log.
//
//   standin_host.exe /regserver [OPTIONS]   registers the server (with OPTIONS for each start),
//                                           and installs the host: settings file, per-user entry
//   standin_host.exe /unregserver           removes the server's registration only
//   (started by COM with -Embedding)        serves until the host has closed
//
// OPTIONS: --capture FILE  --log FILE  --interval-ms N  --close-after-ms N  --fail NAME:N
//          --window 1 (a window that lists the calls, as the station program would be on screen)
#include <objbase.h>
#include <shellapi.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "Objects.h"
#include "builtin_host/HostSettings.h"
#include "builtin_host/HostSetup.h"
#include "decode/Replay.h"
#include "host/HostPorts.h"
#include "win32/Text.h"
#include "win32/Win32Ports.h"
#include "win32/WindowClass.h"

namespace standin {

namespace {

struct Options {
    std::wstring capture;
    std::wstring log;
    UINT intervalMs = 1;
    UINT closeAfterMs = 0;
    std::vector<std::string> failures;
    bool window = false;
    bool startedByCom = false;     // COM starts a local server with "-Embedding" after its options
    std::wstring forRegistration;  // the options as given, passed on to each start
};

std::wstring ExePath() {
    return win32::Utf16(win32::Win32ProgramInfo().ExePath());
}

// The host's install folder, as the per-user entry names it: with its trailing separator.
std::string HostFolder() {
    return win32::Win32ProgramInfo().Folder() + "\\";
}

std::wstring Quoted(const std::wstring& text) {
    return L"\"" + text + L"\"";
}

bool ParseOptions(int argc, wchar_t** argv, int first, Options& options) {
    for (int i = first; i < argc; ++i) {
        const std::wstring option = argv[i];
        if (option == L"-Embedding" || option == L"/Embedding") {
            options.startedByCom = true;
            continue;
        }
        if (i + 1 >= argc) return false;
        const std::wstring value = argv[++i];
        options.forRegistration += L" " + option + L" " + Quoted(value);
        if (option == L"--capture")
            options.capture = value;
        else if (option == L"--log")
            options.log = value;
        else if (option == L"--interval-ms")
            options.intervalMs = static_cast<UINT>(std::stoul(value));
        else if (option == L"--close-after-ms")
            options.closeAfterMs = static_cast<UINT>(std::stoul(value));
        else if (option == L"--fail")
            options.failures.push_back(win32::Utf8(value));
        else if (option == L"--window")
            options.window = value == L"1";
        else
            return false;
    }
    return true;
}

// ---- registration

std::wstring GuidText(const GUID& guid) {
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    return text;
}

bool SetValue(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& value) {
    return RegSetKeyValueW(root, key.c_str(), name, REG_SZ, value.c_str(),
                           static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) ==
           ERROR_SUCCESS;
}

bool RegisterClass(const CLSID& clsid, const wchar_t* name, const std::wstring& command) {
    const std::wstring key = L"CLSID\\" + GuidText(clsid);
    return SetValue(HKEY_CLASSES_ROOT, key, nullptr, name) &&
           SetValue(HKEY_CLASSES_ROOT, key + L"\\LocalServer32", nullptr, command) &&
           SetValue(HKEY_CLASSES_ROOT, key + L"\\TypeLib", nullptr, GuidText(LIBID_UIView32));
}

// The host's install folder with its settings file, and the per-user entry that names it.
bool InstallHost() {
    const std::string folder = HostFolder();
    builtin_host::HostSettings settings;
    settings.callsign = builtin_host::kDefaultCallsign;
    settings.latitudeText = builtin_host::kDefaultLatitude;
    settings.longitudeText = builtin_host::kDefaultLongitude;
    if (!builtin_host::SaveHostSettings(folder, settings)) return false;
    const std::wstring store = win32::Utf16(std::string("Software\\VB and VBA Program Settings\\") +
                                            host::kStoreApplication + "\\" + host::kStoreSection);
    return SetValue(HKEY_CURRENT_USER, store, win32::Utf16(host::kStoreKey).c_str(),
                    win32::Utf16(folder));
}

int Register(const Options& options) {
    ITypeLib* registered = nullptr;
    if (FAILED(LoadTypeLibEx(ExePath().c_str(), REGKIND_REGISTER, &registered))) {
        std::cerr << "standin_host: the type library cannot be registered\n";
        return 1;
    }
    registered->Release();
    const std::wstring command = Quoted(ExePath()) + options.forRegistration;
    if (!RegisterClass(CLSID_UIViewApplication, L"UIView32 application (stand-in)", command) ||
        !RegisterClass(CLSID_UIViewStation, L"UIView32 station (stand-in)", command) ||
        !InstallHost()) {
        std::cerr << "standin_host: registration failed\n";
        return 1;
    }
    return 0;
}

int Unregister() {
    for (const CLSID* clsid : {&CLSID_UIViewApplication, &CLSID_UIViewStation})
        RegDeleteTreeW(HKEY_CLASSES_ROOT, (L"CLSID\\" + GuidText(*clsid)).c_str());
    UnRegisterTypeLib(LIBID_UIView32, 1, 0, 0, sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32);
    RegDeleteTreeW(HKEY_CLASSES_ROOT, (L"TypeLib\\" + GuidText(LIBID_UIView32)).c_str());
    return 0;
}

// ---- serving

// Plays the capture one line per timer tick once the add-on listens, then closes the host.
struct Player {
    enum : UINT_PTR { kPlayTimer = 1, kCloseTimer, kEndTimer };
    ApplicationObject& application;
    std::vector<decode::ReplayLine> lines;
    const Options& options;
    CallLog& log;
    HWND window;
    std::size_t next = 0;
    bool started = false;
    bool busy = false;  // a tick that arrives while a frame is being handled waits
    bool closing = false;
    bool closed = false;
    int endTicks = 0;

    void Start() {
        if (started) return;
        started = true;
        log.Note("playing " + std::to_string(lines.size()) + " lines");
        SetTimer(window, kPlayTimer, options.intervalMs, nullptr);
        SetTimer(window, kEndTimer, 200, nullptr);
    }
    void OnTimer(UINT_PTR timer) {
        if (timer == kPlayTimer && !busy && next < lines.size()) {
            busy = true;
            application.Host().OnTnc2Line(lines[next++].tnc2);
            busy = false;
        } else if (timer == kPlayTimer && !busy && !closing) {  // the last line was played
            closing = true;
            KillTimer(window, kPlayTimer);
            SetTimer(window, kCloseTimer, options.closeAfterMs + 1, nullptr);
        } else if (timer == kCloseTimer) {
            KillTimer(window, kCloseTimer);
            application.Host().Close();
            closed = true;
        } else if (timer == kEndTimer &&
                   (!application.Connected() || (closed && ++endTicks > 50))) {
            // The add-on has let go of the events (it closed, or the host's closing made it
            // close), or the host closed a while ago: the server ends.
            PostQuitMessage(0);
        }
    }
};

Player* player = nullptr;

LRESULT CALLBACK PlayerProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message != WM_TIMER || !player) return DefWindowProcW(window, message, w, l);
    player->OnTimer(w);
    return 0;
}

// Makes the application (one for the whole server) or a new station object.
class Factory final : public IClassFactory {
public:
    using Make = std::function<IUnknown*()>;
    explicit Factory(Make make) : make_(std::move(make)) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        *object = (iid == IID_IUnknown || iid == IID_IClassFactory) ? this : nullptr;
        return *object ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }  // lives as long as the server
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        IUnknown* made = make_();
        const HRESULT hr = made->QueryInterface(iid, object);
        made->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

private:
    Make make_;
};

// The host on screen: its title, and the calls it receives, newest last.
HWND CreateCallsWindow(CallLog& log) {
    HWND window = CreateWindowExW(0, L"LISTBOX", L"UI-View32 (stand-in)",
                                  WS_OVERLAPPEDWINDOW | WS_VSCROLL | LBS_NOINTEGRALHEIGHT, 440, 20,
                                  420, 480, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), 0);
    ShowWindow(window, SW_SHOWNOACTIVATE);
    log.onLine = [window](const std::string& line) {
        const std::wstring text = win32::Utf16(line);
        const auto index =
            SendMessageW(window, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        SendMessageW(window, LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
    };
    return window;
}

int Serve(const Options& options) {
    CallLog log;
    log.Open(options.log);
    for (const auto& failure : options.failures) log.PlanFailure(failure);
    if (options.window) CreateCallsWindow(log);

    win32::Win32Clock clock;
    const auto settings = builtin_host::LoadHostSettings(HostFolder());
    builtin_host::BuiltinHost host(
        clock, builtin_host::HomeFromSettings(settings).value_or(builtin_host::HomePosition{}));
    win32::RegisterWindowClass(L"StandinPlayer", PlayerProc);
    const HWND window = CreateWindowExW(0, L"StandinPlayer", L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                        nullptr, GetModuleHandleW(nullptr), nullptr);
    std::ifstream capture{std::filesystem::path(options.capture)};

    ComPtr<ApplicationObject> application;
    application.Attach(new ApplicationObject(host, log, [] { player->Start(); }));
    Player playing{*application.Get(), decode::ReadReplay(capture), options, log, window};
    player = &playing;

    Factory applications([&]() -> IUnknown* {
        application->AddRef();
        return static_cast<IUIViewApplication*>(application.Get());
    });
    Factory stations([&]() -> IUnknown* {
        return static_cast<IUIViewStation*>(new StationObject(host.CreateStation(), log));
    });
    DWORD cookies[2] = {};
    CoRegisterClassObject(CLSID_UIViewApplication, &applications, CLSCTX_LOCAL_SERVER,
                          REGCLS_MULTIPLEUSE, &cookies[0]);
    CoRegisterClassObject(CLSID_UIViewStation, &stations, CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE,
                          &cookies[1]);
    log.Note("serving");
    log.Note("pid " + std::to_string(GetCurrentProcessId()));

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    CoRevokeClassObject(cookies[0]);
    CoRevokeClassObject(cookies[1]);
    log.onLine = nullptr;
    log.Note("ended");
    player = nullptr;
    return 0;
}

}  // namespace

ITypeInfo* TypeInfoFor(const IID& iid) {
    static ITypeLib* library = nullptr;  // the one embedded in the executable
    static std::map<std::wstring, ITypeInfo*> cache;
    if (!library) LoadTypeLibEx(ExePath().c_str(), REGKIND_NONE, &library);
    auto [found, added] = cache.try_emplace(GuidText(iid), nullptr);
    if (added && library) library->GetTypeInfoOfGuid(iid, &found->second);
    return found->second;
}

DISPID EventId(const IID& events, UINT position) {
    ITypeInfo* info = TypeInfoFor(events);
    FUNCDESC* function = nullptr;
    if (!info || FAILED(info->GetFuncDesc(position, &function))) return DISPID_UNKNOWN;
    const DISPID id = function->memid;
    info->ReleaseFuncDesc(function);
    return id;
}

}  // namespace standin

int wmain(int argc, wchar_t** argv) {
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
    standin::Options options;
    const std::wstring command = argc > 1 ? argv[1] : L"";
    int result = 2;
    if (command == L"/regserver" && standin::ParseOptions(argc, argv, 2, options))
        result = standin::Register(options);
    else if (command == L"/unregserver")
        result = standin::Unregister();
    else if (standin::ParseOptions(argc, argv, 1, options) && options.startedByCom)
        result = standin::Serve(options);
    else
        std::cerr << "usage: standin_host.exe /regserver [--capture FILE] [--log FILE] "
                     "[--interval-ms N] [--close-after-ms N] [--fail NAME:N] | /unregserver\n";
    CoUninitialize();
    return result;
}
