// The map window's export: the whole incident log to a file the user picks.
#pragma once

#include <QString>
#include <QWidget>

namespace incidents {

// Asks for a GPX or KML file, writes it, and tells how it went.
void ExportFromMap(const QString& logFolder, QWidget& parent);

}  // namespace incidents
