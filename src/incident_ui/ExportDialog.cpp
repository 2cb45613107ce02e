// Exporting from the map window, with Qt's file dialog and message boxes.
#include "incident_ui/ExportDialog.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>

#include "incident_outlets/IncidentExport.h"

namespace incident_ui {

void ExportFromMap(const std::string& logFolder, QWidget& parent) {
    const QString file = QFileDialog::getSaveFileName(&parent, "Export incidents",
                                                      QDir::homePath() + "/incidents.gpx",
                                                      "GPX (*.gpx);;KML (*.kml)");
    if (file.isEmpty()) return;
    if (const auto written =
            incidents::ExportIncidents(logFolder, file.toStdString(), std::nullopt)) {
        QMessageBox::information(&parent, "Export incidents", QString::fromStdString(*written));
    } else {
        QMessageBox::warning(&parent, "Export incidents",
                             QString::fromStdString(written.error().text));
    }
}

}  // namespace incident_ui
