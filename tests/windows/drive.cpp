// drive.exe: drives Sirenwatch's windows the way a person would, with window messages, for the
// Windows tests. Each command is one step; it waits (up to 20 s) for what it needs to appear.
//
//   drive.exe tree FILE                 the window tree of every Sirenwatch window, one line each:
//                                       depth, class, control name, caption, x y w h (pixels,
//                                       relative to the parent's client area), visible
//   drive.exe place FORM                the place on the screen of the window of the form named
//                                       FORM (FrmMain...), as WxH+X+Y, once it is in front and
//                                       painted
//   drive.exe menu PLACE...             picks the main window's menu item at these places (from 1),
//                                       from the bar down: "menu 1 1 2" is SetUp > Language >
//                                       English
//   drive.exe click NAME                clicks the control named NAME (a button)
//   drive.exe type NAME TEXT            puts TEXT in the control named NAME (a text box)
//   drive.exe dblclick NAME X Y         double-clicks at X, Y (pixels) in the control named NAME
//   drive.exe scroll NAME H V           scrolls the control H columns right and V rows down
//   drive.exe answer CAPTION OK|CANCEL  answers the message box whose caption starts so
//   drive.exe wait NAME TEXT            waits until the control's text contains TEXT
//   drive.exe close FORM                closes the window of the form named FORM, as its title bar
//                                       does
//   drive.exe gone FORM                 waits until the form's window is no longer shown
#include <windows.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "win32/Text.h"

namespace {

using win32::Utf16;
using win32::Utf8;

constexpr wchar_t kNameProperty[] = L"SirenwatchControl";
constexpr int kTimeoutMs = 20000;

std::wstring TextOf(HWND window) {
    wchar_t text[4096] = {};
    // WM_GETTEXT answers for windows of other processes too.
    SendMessageW(window, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text));
    return text;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

std::wstring NameOf(HWND window) {
    const auto atom =
        static_cast<ATOM>(reinterpret_cast<UINT_PTR>(GetPropW(window, kNameProperty)));
    wchar_t name[256] = {};
    if (atom) GlobalGetAtomNameW(atom, name, 256);
    return name;
}

std::vector<HWND> Children(HWND parent) {
    std::vector<HWND> children;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

// Every program's top windows are the desktop's children.
std::vector<HWND> TopWindows() {
    return Children(GetDesktopWindow());
}

// The windows of Sirenwatch's forms, and the host's map window, incident list and input window,
// that are shown.
std::vector<HWND> Forms() {
    static const std::wstring kClasses[] = {L"SirenwatchForm", L"SirenwatchHostMap",
                                            L"SirenwatchIncidents", L"SirenwatchAsk"};
    std::vector<HWND> forms;
    for (HWND window : TopWindows())
        for (const std::wstring& name : kClasses)
            if (ClassOf(window) == name && IsWindowVisible(window)) forms.push_back(window);
    return forms;
}

// Polls until find() gives a window, or fails the step.
HWND WaitFor(const std::function<HWND()>& find, const std::string& what) {
    for (int waited = 0; waited < kTimeoutMs; waited += 100) {
        if (HWND window = find()) return window;
        Sleep(100);
    }
    std::fprintf(stderr, "drive: %s did not appear\n", what.c_str());
    std::exit(1);
}

HWND FindForm(const std::wstring& name) {
    for (HWND window : Forms())
        if (NameOf(window) == name) return window;
    return nullptr;
}

HWND Form(const std::wstring& name) {
    return WaitFor([&] { return FindForm(name); }, "the window of " + Utf8(name));
}

HWND FindNamed(HWND parent, const std::wstring& name) {
    for (HWND child : Children(parent)) {
        if (NameOf(child) == name) return child;
        if (HWND inner = FindNamed(child, name)) return inner;
    }
    return nullptr;
}

HWND Control(const std::wstring& name) {
    return WaitFor(
        [&] {
            for (HWND window : Forms())
                if (HWND control = FindNamed(window, name)) return control;
            return HWND{};
        },
        "the control " + Utf8(name));
}

void Tree(std::FILE* out, HWND window, int depth) {
    RECT r;
    GetWindowRect(window, &r);
    POINT origin{r.left, r.top};
    if (HWND parent = GetParent(window); parent && (GetWindowLongW(window, GWL_STYLE) & WS_CHILD))
        ScreenToClient(parent, &origin);
    std::fprintf(out, "%d\t%s\t%s\t%s\t%ld %ld %ld %ld\t%s\n", depth, Utf8(ClassOf(window)).c_str(),
                 Utf8(NameOf(window)).c_str(), Utf8(TextOf(window)).c_str(), origin.x, origin.y,
                 r.right - r.left, r.bottom - r.top,
                 IsWindowVisible(window) ? "visible" : "hidden");
    for (HWND child : Children(window)) Tree(out, child, depth + 1);
}

int TreeCommand(const char* file) {
    Form(L"FrmMain");
    std::FILE* out = _wfopen(Utf16(file).c_str(), L"wb");
    if (!out) return 1;
    for (HWND window : Forms()) Tree(out, window, 0);
    std::fclose(out);
    return 0;
}

// Brings the window to the front, lets it paint, and prints its place on the screen as
// WxH+X+Y, for the script's screenshot tool to crop.
int PlaceCommand(const std::wstring& form) {
    HWND window = Form(form);
    SetForegroundWindow(window);
    Sleep(500);  // a window that was just shown or moved settles and paints
    RedrawWindow(window, nullptr, nullptr,
                 RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Sleep(500);
    RECT r;
    GetWindowRect(window, &r);
    std::printf("%ldx%ld+%ld+%ld\n", r.right - r.left, r.bottom - r.top, r.left, r.top);
    return 0;
}

// Posts the message and ends the step: the window acts on it in its own time.
int Post(HWND window, UINT message, WPARAM w, LPARAM l) {
    PostMessageW(window, message, w, l);
    return 0;
}

// The item at these places (counted from 1) from the menu bar down: Sirenwatch's windows give
// each item the command 1000 + 100 x bar place + 10 x menu place + submenu place.
int MenuCommand(int count, char** places) {
    UINT id = 1000;
    UINT step = 100;
    for (int i = 0; i < count; ++i, step /= 10)
        id += step * static_cast<UINT>(std::atoi(places[i]));
    return Post(Form(L"FrmMain"), WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

int AnswerCommand(const std::wstring& caption, const std::string& answer) {
    HWND box = WaitFor(
        [&] {
            for (HWND window : TopWindows())
                if (ClassOf(window) == L"#32770" && TextOf(window).rfind(caption, 0) == 0)
                    return window;
            return HWND{};
        },
        "the message box '" + Utf8(caption) + "'");
    return Post(box, WM_COMMAND, MAKEWPARAM(answer == "OK" ? IDOK : IDCANCEL, BN_CLICKED), 0);
}

int WaitTextCommand(const std::wstring& name, const std::wstring& text) {
    HWND control = Control(name);
    WaitFor([&] { return TextOf(control).find(text) != std::wstring::npos ? control : HWND{}; },
            "the text '" + Utf8(text) + "' in " + Utf8(name));
    return 0;
}

int ScrollCommand(const std::wstring& name, int right, int down) {
    HWND control = Control(name);
    for (int i = 0; i < right; ++i) SendMessageW(control, WM_HSCROLL, SB_LINERIGHT, 0);
    for (int i = 0; i < down; ++i) SendMessageW(control, WM_VSCROLL, SB_LINEDOWN, 0);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "tree" && argc == 3) return TreeCommand(argv[2]);
    if (command == "place" && argc == 3) return PlaceCommand(Utf16(argv[2]));
    if (command == "menu" && argc >= 3) return MenuCommand(argc - 2, argv + 2);
    if (command == "click" && argc == 3) return Post(Control(Utf16(argv[2])), BM_CLICK, 0, 0);
    if (command == "type" && argc == 4) {
        const std::wstring text = Utf16(argv[3]);
        SendMessageW(Control(Utf16(argv[2])), WM_SETTEXT, 0,
                     reinterpret_cast<LPARAM>(text.c_str()));
        return 0;
    }
    if (command == "dblclick" && argc == 5)
        return Post(Control(Utf16(argv[2])), WM_LBUTTONDBLCLK, MK_LBUTTON,
                    MAKELPARAM(std::atoi(argv[3]), std::atoi(argv[4])));
    if (command == "scroll" && argc == 5)
        return ScrollCommand(Utf16(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]));
    if (command == "answer" && argc == 4) return AnswerCommand(Utf16(argv[2]), argv[3]);
    if (command == "wait" && argc == 4) return WaitTextCommand(Utf16(argv[2]), Utf16(argv[3]));
    if (command == "close" && argc == 3) return Post(Form(Utf16(argv[2])), WM_CLOSE, 0, 0);
    if (command == "gone" && argc == 3) {
        const std::wstring form = Utf16(argv[2]);
        WaitFor([&] { return FindForm(form) ? HWND{} : GetDesktopWindow(); },
                "the end of " + std::string(argv[2]));
        return 0;
    }
    std::fprintf(stderr, "drive: unknown command; see the comment at the top of drive.cpp\n");
    return 2;
}
