// Message boxes with MessageBox, notices in a window that does not wait, and modal forms in a
// local message loop with their owner disabled meanwhile.
#pragma once

#include <windows.h>

#include <memory>

#include "platform/Ports.h"

namespace win32 {

class Win32Dialogs final : public platform::Dialogs {
public:
    ~Win32Dialogs() override;
    // Boxes and forms open above this window.
    void SetOwner(HWND owner) { owner_ = owner; }

    platform::Answer MsgBox(const std::string& text, platform::Buttons buttons, platform::Icon icon,
                            const std::optional<std::string>& title = std::nullopt) override;
    void ShowModal(ui::Form& form) override;
    // One notice window, reused: a new notice replaces the text of one still open.
    void Notice(const std::string& text, platform::Icon icon) override;

    static constexpr wchar_t kNoticeClass[] = L"SirenwatchNotice";

private:
    HWND owner_ = nullptr;
    HWND notice_ = nullptr;
};

}  // namespace win32
