// The small platform ports with the Win32 API: per-user store in the registry, single instance,
// topmost state, clock, regional formats, program identity, help and quitting.
#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <shlobj.h>

#include <optional>
#include <string>

#include "platform/Ports.h"

namespace win32 {

// Where the classic Basic runtime's GetSetting reads:
// HKEY_CURRENT_USER\Software\VB and VBA Program Settings\<application>\<section>, value <key>.
class Win32UserStore final : public platform::UserStore {
public:
    std::string Get(const std::string& application, const std::string& section,
                    const std::string& key) override;
};

// A named mutex in the user's session, held from the first check to the program's end.
class Win32SingleInstance final : public platform::SingleInstance {
public:
    explicit Win32SingleInstance(std::wstring name = L"Local\\Sirenwatch.SingleInstance")
        : name_(std::move(name)) {}
    ~Win32SingleInstance() override;
    bool AnotherInstanceRunning() override;

private:
    std::wstring name_;
    HANDLE mutex_ = nullptr;
};

// SetWindowPos on the main window; a state asked for before the window exists is applied when
// it is set.
class Win32WindowLayer final : public platform::WindowLayer {
public:
    void SetWindow(HWND window);
    void SetTopmost(bool topmost) override;

private:
    void Apply();

    HWND window_ = nullptr;
    std::optional<bool> topmost_;
};

class Win32Clock final : public platform::Clock {
public:
    platform::DateTime Now() const override;
};

// The user's decimal symbol and short date format.
class Win32Regional final : public platform::Regional {
public:
    std::string decimalSymbol() const override;
    std::string shortDateFormat() const override;
    std::string ToAnsi(const std::string& utf8) const override;
    std::string FromAnsi(const std::string& ansi) const override;
};

// Installed under Program Files, where only administrators may write, the program keeps its
// settings in the user's %APPDATA%\Sirenwatch and test mode's day logs in %LOCALAPPDATA%\Sirenwatch
// (each made when missing); unpacked anywhere else, it keeps both beside itself.
class Win32ProgramInfo final : public platform::ProgramInfo {
public:
    std::string Folder() const override;
    std::string ExeName() const override;
    std::string ExePath() const override;
    platform::VersionNumbers Version() const override;
    std::string SettingsFolder() const override;
    std::string TestLogFolder() const override;

private:
    std::string UserFolder(const KNOWNFOLDERID& userRoot) const;
};

// HTML Help for the CHM file; where HTML Help is missing, the file's own handler.
class Win32Help final : public platform::Help {
public:
    void Open(const std::string& helpFile) override;
};

// Posts the quit message: the message loop ends once the current handler returns.
class Win32Application final : public platform::Application {
public:
    void Quit() override { PostQuitMessage(0); }
};

}  // namespace win32
