// Conversion between the control models' 0x00BBGGRR colours and Qt's.
#pragma once

#include <QColor>

#include "ui/Controls.h"

namespace qt {

// -1 (the toolkit's default) and other negative values give an invalid QColor.
inline QColor ToQColor(ui::Color c) {
    if (c < 0) return {};
    return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

inline ui::Color FromQColor(const QColor& c) {
    if (!c.isValid()) return -1;
    return static_cast<ui::Color>(c.red() | (c.green() << 8) | (c.blue() << 16));
}

}  // namespace qt
