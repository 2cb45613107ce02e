// Exporting from the map window, with Qt's file dialog and message boxes.
#include "incident_outlets/ExportDialog.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>

#include "incident_outlets/IncidentExport.h"

namespace incidents {

void ExportFromMap(const QString& logFolder, QWidget& parent) {
    const QString file = QFileDialog::getSaveFileName(&parent, "Export incidents",
                                                      QDir::homePath() + "/incidents.gpx",
                                                      "GPX (*.gpx);;KML (*.kml)");
    if (file.isEmpty()) return;
    if (const auto written = ExportIncidents(logFolder, file, std::nullopt)) {
        QMessageBox::information(&parent, "Export incidents", *written);
    } else {
        QMessageBox::warning(&parent, "Export incidents",
                             QString::fromStdString(written.error().text));
    }
}

}  // namespace incidents
