// The Win32 ports.
#include "win32/Win32Ports.h"

#include <shellapi.h>

#include <vector>

#include "platform/DatePattern.h"
#include "win32/Text.h"

namespace win32 {

// ---- per-user store

std::string Win32UserStore::Get(const std::string& application, const std::string& section,
                                const std::string& key) {
    const std::wstring path =
        Utf16("Software\\VB and VBA Program Settings\\" + application + "\\" + section);
    const std::wstring name = Utf16(key);
    DWORD bytes = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, path.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr, nullptr,
                     &bytes) != ERROR_SUCCESS)
        return {};
    std::wstring value(bytes / sizeof(wchar_t) + 1, L'\0');
    bytes = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    if (RegGetValueW(HKEY_CURRENT_USER, path.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr,
                     value.data(), &bytes) != ERROR_SUCCESS)
        return {};
    value.resize(wcsnlen(value.c_str(), value.size()));
    return Utf8(value);
}

// ---- single instance

Win32SingleInstance::~Win32SingleInstance() {
    if (mutex_) CloseHandle(mutex_);
}

bool Win32SingleInstance::AnotherInstanceRunning() {
    if (mutex_) return false;  // this one holds it
    HANDLE mutex = CreateMutexW(nullptr, FALSE, name_.c_str());
    const bool another = GetLastError() == ERROR_ALREADY_EXISTS;
    if (another || !mutex) {
        if (mutex) CloseHandle(mutex);
        return another;
    }
    mutex_ = mutex;
    return false;
}

// ---- window layer

void Win32WindowLayer::SetWindow(HWND window) {
    window_ = window;
    Apply();
}

void Win32WindowLayer::SetTopmost(bool topmost) {
    topmost_ = topmost;
    Apply();
}

void Win32WindowLayer::Apply() {
    if (!window_ || !topmost_) return;
    SetWindowPos(window_, *topmost_ ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE);
}

// ---- clock and regional formats

platform::DateTime Win32Clock::Now() const {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

namespace {

std::string UserLocaleInfo(LCTYPE type) {
    wchar_t buffer[96] = {};
    if (GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, type, buffer, 96) == 0) return {};
    return Utf8(buffer);
}

}  // namespace

std::string Win32Regional::decimalSymbol() const {
    std::string symbol = UserLocaleInfo(LOCALE_SDECIMAL);
    return symbol.empty() ? "." : symbol;
}

std::string Win32Regional::shortDateFormat() const {
    return platform::ShortDatePattern(UserLocaleInfo(LOCALE_SSHORTDATE));
}

std::string Win32Regional::ToAnsi(const std::string& utf8) const {
    const std::wstring wide = Utf16(utf8);
    if (wide.empty()) return {};
    const int size = static_cast<int>(wide.size());
    const int length =
        WideCharToMultiByte(CP_ACP, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string ansi(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), size, ansi.data(), length, nullptr, nullptr);
    return ansi;
}

std::string Win32Regional::FromAnsi(const std::string& ansi) const {
    if (ansi.empty()) return {};
    const int size = static_cast<int>(ansi.size());
    const int length = MultiByteToWideChar(CP_ACP, 0, ansi.data(), size, nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, ansi.data(), size, wide.data(), length);
    return Utf8(wide);
}

// ---- program identity

std::string Win32ProgramInfo::ExePath() const {
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) return Utf8(std::wstring_view(path.data(), length));
        path.resize(path.size() * 2);
    }
}

std::string Win32ProgramInfo::Folder() const {
    const std::string path = ExePath();
    return path.substr(0, path.find_last_of("\\/"));
}

std::string Win32ProgramInfo::ExeName() const {
    const std::string path = ExePath();
    std::string name = path.substr(path.find_last_of("\\/") + 1);
    const auto dot = name.find_last_of('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

platform::VersionNumbers Win32ProgramInfo::Version() const {
    return {SIRENWATCH_VERSION_MAJOR, SIRENWATCH_VERSION_MINOR, SIRENWATCH_VERSION_PATCH};
}

namespace {

// The known folder's path, or nothing where the system has none (a 32-bit program asking for
// the 64-bit Program Files).
std::wstring KnownFolder(const KNOWNFOLDERID& id) {
    wchar_t* path = nullptr;
    std::wstring folder;
    if (SUCCEEDED(SHGetKnownFolderPath(id, KF_FLAG_DEFAULT, nullptr, &path))) folder = path;
    CoTaskMemFree(path);
    return folder;
}

// Whether the folder lies inside the parent folder, names compared as Windows compares them.
bool Inside(const std::wstring& folder, const std::wstring& parent) {
    if (parent.empty() || folder.size() <= parent.size() || folder[parent.size()] != L'\\')
        return false;
    const int length = static_cast<int>(parent.size());
    return CompareStringOrdinal(folder.c_str(), length, parent.c_str(), length, TRUE) == CSTR_EQUAL;
}

bool UnderProgramFiles(const std::wstring& folder) {
    for (const KNOWNFOLDERID* programFiles :
         {&FOLDERID_ProgramFiles, &FOLDERID_ProgramFilesX86, &FOLDERID_ProgramFilesX64}) {
        if (Inside(folder, KnownFolder(*programFiles))) return true;
    }
    return false;
}

}  // namespace

std::string Win32ProgramInfo::UserFolder(const KNOWNFOLDERID& userRoot) const {
    const std::string beside = Folder();
    if (!UnderProgramFiles(Utf16(beside))) return beside;
    const std::wstring root = KnownFolder(userRoot);
    if (root.empty()) return beside;
    const std::wstring own = root + L"\\Sirenwatch";
    CreateDirectoryW(own.c_str(), nullptr);  // already there is as good
    return Utf8(own);
}

std::string Win32ProgramInfo::SettingsFolder() const {
    return UserFolder(FOLDERID_RoamingAppData);
}

std::string Win32ProgramInfo::TestLogFolder() const {
    return UserFolder(FOLDERID_LocalAppData);
}

// ---- help

void Win32Help::Open(const std::string& helpFile) {
    const std::wstring file = Utf16(helpFile);
    using HtmlHelpW = HWND(WINAPI*)(HWND, const wchar_t*, UINT, DWORD_PTR);
    constexpr UINT kDisplayTopic = 0;
    // HTML Help keeps its window in the control library: it stays loaded.
    if (HMODULE control = LoadLibraryW(L"hhctrl.ocx")) {
        auto open = reinterpret_cast<HtmlHelpW>(
            reinterpret_cast<void*>(GetProcAddress(control, "HtmlHelpW")));
        if (open && open(GetDesktopWindow(), file.c_str(), kDisplayTopic, 0)) return;
    }
    ShellExecuteW(nullptr, L"open", file.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace win32
