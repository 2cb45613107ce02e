// The names test tools find our windows and controls by, as they find the forms' ones: a
// window property holding a global atom of the name.
#pragma once

#include <windows.h>

namespace win32 {

inline constexpr wchar_t kNameProperty[] = L"SirenwatchControl";

inline void SetControlName(HWND window, const wchar_t* name) {
    SetPropW(window, kNameProperty,
             reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(GlobalAddAtomW(name))));
}

// Call as the window goes (WM_NCDESTROY): the atom is given back.
inline void ForgetControlName(HWND window) {
    if (const auto atom =
            static_cast<ATOM>(reinterpret_cast<UINT_PTR>(RemovePropW(window, kNameProperty))))
        GlobalDeleteAtom(atom);
}

}  // namespace win32
