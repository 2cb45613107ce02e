// Geometry in twips (1/1440 inch) turned into pixels at a screen's logical DPI.
#pragma once

#include <QRect>
#include <QWidget>
#include <cmath>

#include "ui/Controls.h"

namespace qt {

inline constexpr int kTwipsPerInch = 1440;

inline int TwipsToPixels(int twips, double logicalDpi) {
    return static_cast<int>(std::lround(twips * logicalDpi / kTwipsPerInch));
}

inline int PixelsToTwips(int pixels, double logicalDpi) {
    return logicalDpi > 0 ? static_cast<int>(std::lround(pixels * kTwipsPerInch / logicalDpi)) : 0;
}

inline QRect ToPixels(const ui::Rect& r, double logicalDpi) {
    return {TwipsToPixels(r.left, logicalDpi), TwipsToPixels(r.top, logicalDpi),
            TwipsToPixels(r.width, logicalDpi), TwipsToPixels(r.height, logicalDpi)};
}

// The logical DPI of the screen a widget is on (the primary screen's before it is shown).
inline double LogicalDpi(const QWidget* w) {
    return w ? w->logicalDpiY() : 96.0;
}

}  // namespace qt
