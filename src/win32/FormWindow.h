// A native window for any form model: a child window per control, made by the binders, and
// a menu bar; it follows the form's caption, icon, place, minimised state and shown state.
// Moving or minimising the window is written back into the form.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <vector>

#include "ui/Controls.h"
#include "ui/Grid.h"

namespace win32 {

class GridWindow;

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

    // The window class of every form, and the property that names a control's window after
    // its model ("TxtNominativo"), for tools that look at the window tree.
    static constexpr wchar_t kClassName[] = L"SirenwatchForm";
    static constexpr wchar_t kNameProperty[] = L"SirenwatchControl";

private:
    struct Child {
        ui::Control* model = nullptr;
        std::function<void(WORD code)> onCommand;  // WM_COMMAND notifications
        std::function<void(WORD request)> onScroll;
    };

    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM w, LPARAM l);
    LRESULT Handle(UINT message, WPARAM w, LPARAM l);
    bool Command(WPARAM w, LPARAM l);
    LRESULT ControlColor(HDC dc, HWND child, int systemColor);
    void DrawButton(const DRAWITEMSTRUCT& item);

    void BuildControls();
    HWND Bind(ui::Control& control);
    HWND Create(const wchar_t* windowClass, DWORD style, ui::Control& control, DWORD exStyle = 0);
    // Places the window now and after every change of its model, then applies `apply`.
    void Follow(ui::Control& model, HWND window, std::function<void()> apply);
    void Place(const ui::Control& model, HWND window);
    HBRUSH Brush(COLORREF color);

    HWND BindLabel(ui::Label& model);
    HWND BindTextBox(ui::TextBox& model);
    HWND BindButton(ui::Button& model);
    HWND BindCheckBox(ui::CheckBox& model);
    HWND BindListBox(ui::ListBox& model);
    HWND BindScrollBar(ui::ScrollBar& model);
    HWND BindFrame(ui::Frame& model);
    HWND BindPainted(ui::Control& model, const wchar_t* windowClass);
    HWND BindGrid(ui::Grid& model);

    void BuildMenus();
    void AppendMenuItems(HMENU menu, const std::vector<ui::MenuItem*>& items, UINT base, UINT step);
    void FollowForm();

    ui::Form& form_;
    HWND window_ = nullptr;
    HFONT font_ = nullptr;
    HICON icon_ = nullptr;
    int dpi_ = 96;
    bool shown_ = false;
    bool following_ = false;  // applying the model: do not write back
    std::map<const ui::Control*, HWND> windows_;
    std::map<HWND, Child> children_;
    std::map<UINT, ui::MenuItem*> menuItems_;
    std::set<ui::MenuItem*> subscribedMenus_;
    std::map<COLORREF, HBRUSH> brushes_;
    std::vector<std::unique_ptr<GridWindow>> grids_;
    UINT nextId_ = 100;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);  // read by the models' listeners
};

}  // namespace win32
