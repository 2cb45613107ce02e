// The built-in host's map window: the home station, the stations heard and the circles the
// add-on drew at the last redraw, on an equirectangular projection around the home station.
#pragma once

#include <QPainter>
#include <QWidget>
#include <functional>

#include "builtin_host/Evidence.h"
#include "builtin_host/HostMap.h"
#include "builtin_host/StationList.h"

namespace qt_host {

class MapView : public QWidget {
    Q_OBJECT
public:
    // Takes the map's change listener, so it repaints after every redraw.
    MapView(builtin_host::HostMap& map, const builtin_host::StationList& stations,
            QWidget* parent = nullptr);

    // Runs when the user closes the window (the host closes with it).
    std::function<void()> onClose;
    // When set, the window's context menu offers to export the incidents.
    std::function<void()> onExport;

    // Call when stations were heard; repaints once the event loop is free.
    void StationsChanged() { update(); }
    // Half the width of the view, in kilometres, at the current zoom.
    void SetSpanKm(double km);
    // A warning band across the top of the map (a silent feed); empty text removes it.
    void SetWarning(const QString& text) {
        warning_ = text;
        update();
    }
    const QString& Warning() const { return warning_; }
    // The evidence of stations in emergency: drawn in red, detailed on hover and click.
    void SetEvidence(const builtin_host::EvidenceBook* evidence) {
        evidence_ = evidence;
        update();
    }
    // The detail of the station drawn nearest to a point of the view, within a few pixels;
    // empty when there is none. Plain text.
    QString DetailAt(QPointF point) const;
    void SetHomeCallsign(std::string call) {
        homeCall_ = std::move(call);
        update();
    }

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    struct Projection;
    Projection MakeProjection() const;
    void PaintCircles(QPainter& painter, const Projection& p) const;
    void PaintStations(QPainter& painter, const Projection& p) const;
    void PaintHome(QPainter& painter, const Projection& p) const;
    void PaintScale(QPainter& painter, const Projection& p) const;
    void PaintWarning(QPainter& painter) const;
    void ShowDetail(QPointF point, QPoint globalPoint);

    builtin_host::HostMap& map_;
    const builtin_host::StationList& stations_;
    double spanKm_ = 50;
    std::string homeCall_;
    QString warning_;
    const builtin_host::EvidenceBook* evidence_ = nullptr;
};

// What the map tells about a station: its data and, for one in emergency, why.
QString StationDetail(const builtin_host::StationData& station,
                      const builtin_host::Evidence* evidence);

}  // namespace qt_host
