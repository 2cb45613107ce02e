// Exporting from the map window, with Qt's file dialog and message boxes.
#include "incidents/ExportDialog.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>

#include "incidents/IncidentExport.h"

namespace incidents {

void ExportFromMap(const QString& logFolder, QWidget& parent) {
    const QString file = QFileDialog::getSaveFileName(&parent, "Export incidents",
                                                      QDir::homePath() + "/incidents.gpx",
                                                      "GPX (*.gpx);;KML (*.kml)");
    if (file.isEmpty()) return;
    const ExportResult result = ExportIncidents(logFolder, file, std::nullopt);
    if (result.ok) {
        QMessageBox::information(&parent, "Export incidents", result.message);
    } else {
        QMessageBox::warning(&parent, "Export incidents", result.message);
    }
}

}  // namespace incidents
