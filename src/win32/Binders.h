// One binder per kind of control model: each creates the child window for a model in a form
// window, places it from its twips geometry, follows the model's changes and forwards the
// user's actions to the model's handlers. A model must outlive the window bound to it; a
// window may go first.
//
// Windows tells a child's parent, not the child, what happened to it: the form window hands
// those notifications back to the child as kReflected + the message, parameters unchanged,
// and asks the child for its background with kAskBackColor.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <set>
#include <vector>

#include "ui/Controls.h"
#include "ui/Grid.h"

namespace win32 {

// WM_COMMAND, WM_HSCROLL, WM_VSCROLL and WM_DRAWITEM, handed back to the child they name.
inline constexpr UINT kReflected = WM_APP + 0x100;
// lParam points at a ui::Color; a child with a background of its own writes it there.
inline constexpr UINT kAskBackColor = WM_APP + 0x0FF;

// Each binder makes a child of `parent`, in the font the parent answers WM_GETFONT with.
HWND BindLabel(ui::Label& model, HWND parent);
// An edit box; a multi-line box is read-only for typing, but keys still reach its handler.
HWND BindTextBox(ui::TextBox& model, HWND parent);
// Drawn by us: a swatch shows its model's colour.
HWND BindButton(ui::Button& model, HWND parent);
HWND BindCheckBox(ui::CheckBox& model, HWND parent);
HWND BindListBox(ui::ListBox& model, HWND parent);
HWND BindScrollBar(ui::ScrollBar& model, HWND parent);
HWND BindShape(ui::Shape& model, HWND parent);
HWND BindFrame(ui::Frame& model, HWND parent);
HWND BindImage(ui::Image& model, HWND parent);
HWND BindGrid(ui::Grid& model, HWND parent);

// The menu bar of a window, built from the menu tree and built again when an item changes.
// An item's command is its place: 1000 + 100 x its place on the bar + 10 x its place in that
// menu + its place in a submenu, places counted from 1 among the items shown ("Info", second
// on the bar: 1200). Tools that drive the window send these; menus themselves cannot be read
// from another process everywhere.
class MenuBar {
public:
    MenuBar(const std::vector<ui::MenuItem*>& menus, HWND window);
    ~MenuBar() { *alive_ = false; }
    MenuBar(const MenuBar&) = delete;
    MenuBar& operator=(const MenuBar&) = delete;

    // Runs the item with this command; false when no item has it.
    bool Command(UINT id);

private:
    void Build();
    void Append(HMENU menu, const std::vector<ui::MenuItem*>& items, UINT base, UINT step);

    const std::vector<ui::MenuItem*>& menus_;
    HWND window_;
    std::map<UINT, ui::MenuItem*> items_;
    std::set<ui::MenuItem*> subscribed_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);  // read by the items' listeners
};

}  // namespace win32
