// Twips (1/1440 inch) to pixels at the screen's logical DPI, and the models' colours, which
// are already Windows' COLORREF (0x00BBGGRR).
#pragma once

#include <windows.h>

#include "ui/Controls.h"

namespace win32 {

inline constexpr int kTwipsPerInch = 1440;

// The screen's logical DPI (96 unless the user set larger text).
inline int ScreenDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

inline int TwipsToPixels(int twips, int dpi) {
    return MulDiv(twips, dpi, kTwipsPerInch);
}

inline int PixelsToTwips(int pixels, int dpi) {
    return MulDiv(pixels, kTwipsPerInch, dpi);
}

inline RECT ToPixels(const ui::Rect& r, int dpi) {
    const int left = TwipsToPixels(r.left, dpi);
    const int top = TwipsToPixels(r.top, dpi);
    return {left, top, left + TwipsToPixels(r.width, dpi), top + TwipsToPixels(r.height, dpi)};
}

// -1 and other negative values: the system's colour for that part.
inline bool HasColor(ui::Color c) {
    return c >= 0;
}

inline COLORREF ToColorRef(ui::Color c) {
    return static_cast<COLORREF>(c) & 0x00FFFFFF;
}

}  // namespace win32
