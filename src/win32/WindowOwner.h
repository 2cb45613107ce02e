// What every window of ours does with the object it belongs to: the object rides in the
// window's user data from WM_NCCREATE (the creation parameter) to WM_NCDESTROY, its answer to
// a message runs safely, and a window painted whole is drawn off screen first.
#pragma once

#include <windows.h>

#include <functional>

#include "win32/ControlName.h"
#include "win32/SafeCall.h"

namespace win32 {

// The object the window belongs to, for this message; none before WM_NCCREATE. At
// WM_NCDESTROY it is given once more, the last time, and the window's name is forgotten.
template <class Owner>
Owner* OwnerOf(HWND window, UINT message, LPARAM l) {
    if (message == WM_NCCREATE)
        SetWindowLongPtrW(
            window, GWLP_USERDATA,
            reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(l)->lpCreateParams));
    auto* owner = reinterpret_cast<Owner*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        ForgetControlName(window);
    }
    return owner;
}

// The owner's answer to a message; a failure in it goes no further than the debugger's output
// and the message gets the default answer.
inline LRESULT SafeAnswer(HWND window, UINT message, WPARAM w, LPARAM l,
                          const std::function<LRESULT()>& answer) {
    LRESULT result = 0;
    bool answered = false;
    SafeCall([&] {
        result = answer();
        answered = true;
    });
    return answered ? result : DefWindowProcW(window, message, w, l);
}

// WM_PAINT for a window painted whole: `paint` draws the client area off screen, which is
// then copied in one go, without flicker (the window answers WM_ERASEBKGND with 1).
inline void PaintOffscreen(HWND window, const std::function<void(HDC, const RECT&)>& paint) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    RECT client;
    GetClientRect(window, &client);
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, client.right, client.bottom);
    HGDIOBJ old = SelectObject(memory, bitmap);
    SafeCall([&] { paint(memory, client); });
    BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    EndPaint(window, &ps);
}

}  // namespace win32
