// Registering our window classes, with the arrow cursor and, when given, a background.
#pragma once

#include <windows.h>

namespace win32 {

// Registering a class that is registered already does nothing, so callers need not remember.
inline void RegisterWindowClass(const wchar_t* name, WNDPROC proc, UINT style = 0,
                                HBRUSH background = nullptr) {
    WNDCLASSW windowClass{};
    windowClass.style = style;
    windowClass.lpfnWndProc = proc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = background;
    windowClass.lpszClassName = name;
    RegisterClassW(&windowClass);
}

}  // namespace win32
