// The map window's export: the whole incident log to a file the user picks.
#pragma once

#include <QString>
#include <QWidget>
#include <string>

namespace incident_ui {

// Asks for a GPX or KML file, writes it, and tells how it went.
void ExportFromMap(const std::string& logFolder, QWidget& parent);

}  // namespace incident_ui
