// A native window for any form model: builds the child windows of its controls and its menu
// bar with the binders, and follows the form's caption, icon, place, minimised state and shown
// state. Moving or minimising the window is written back into the form.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>

#include "ui/Controls.h"

namespace win32 {

class MenuBar;

class FormWindow {
public:
    // An owned window (a dialog) stays above its owner and has no minimise box.
    explicit FormWindow(ui::Form& form, HWND owner = nullptr);
    ~FormWindow();
    FormWindow(const FormWindow&) = delete;
    FormWindow& operator=(const FormWindow&) = delete;

    HWND Handle() const { return window_; }
    ui::Form& Form() const { return form_; }
    // The window made for one of the form's controls (nullptr for a timer).
    HWND HandleFor(const ui::Control& control) const;

    // The form was hidden (Form::Hide) or its window went away: a modal display ends here.
    std::function<void()> onHidden;

    // The window class of every form; each control's window is named after its model
    // ("TxtNominativo", win32/ControlName.h) for tools that look at the window tree.
    static constexpr wchar_t kClassName[] = L"SirenwatchForm";

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM w, LPARAM l);
    LRESULT Handle(UINT message, WPARAM w, LPARAM l);
    LRESULT ControlColor(HDC dc, HWND child, int systemColor);
    HBRUSH Brush(COLORREF color);

    void BuildControls();
    HWND Bind(ui::Control& control);
    void FollowForm();

    ui::Form& form_;
    HWND window_ = nullptr;
    HFONT font_ = nullptr;
    HICON icon_ = nullptr;
    int dpi_ = 96;
    bool shown_ = false;
    bool following_ = false;  // applying the model: do not write back
    std::map<const ui::Control*, HWND> windows_;
    std::unique_ptr<MenuBar> menuBar_;
    std::map<COLORREF, HBRUSH> brushes_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);  // read by the models' listeners
};

}  // namespace win32
