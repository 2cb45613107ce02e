// Sirenwatch's icon in the notification area, whose balloon tells an emergency ("Q7MOB-9 in
// emergency, 37.6 km") or a silent feed; a click on the icon runs onActivate (bring the windows
// to the front). Where the shell has no notification area, nothing is shown and nothing fails.
#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <functional>
#include <string>

namespace win32_host {

class TrayIcon {
public:
    TrayIcon();
    ~TrayIcon();
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    // Whether the icon is in the notification area.
    bool Shown() const { return added_; }
    // A balloon with a title and a text, as an error when critical, else as a warning; text
    // from the air is shown as it came (the balloon interprets nothing). False when the shell
    // took none.
    bool Tell(const std::string& title, const std::string& text, bool critical);

    std::function<void()> onActivate;

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM w, LPARAM l);
    NOTIFYICONDATAW Data() const;

    HWND window_ = nullptr;
    HICON icon_ = nullptr;
    UINT taskbarCreated_ = 0;
    bool added_ = false;
};

}  // namespace win32_host
