// The built-in host's map window: the home station, the stations heard with their callsigns
// and the circles the add-on drew at the last redraw, over the offline base map, on a flat
// projection around the home station. Drag to pan, wheel to zoom around the pointer. A new
// emergency outside the view widens it, unless the user has just moved the map; every station
// in emergency outside the view has a marker on the edge that points to it.
#pragma once

#include <QElapsedTimer>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "builtin_host/Evidence.h"
#include "builtin_host/HostMap.h"
#include "builtin_host/StationList.h"
#include "map_scene/MapScene.h"
#include "qt_host/ScenePoints.h"
#include "qt_host/TileLayer.h"

namespace qt_host {

class MapView : public QWidget {
    Q_OBJECT
public:
    // Takes the map's change listener, so it repaints after every redraw. Opens at the map's
    // scale: that many kilometres across the view's shorter side.
    MapView(builtin_host::HostMap& map, const builtin_host::StationList& stations,
            QWidget* parent = nullptr);

    // Runs when the user closes the window (the host closes with it).
    std::function<void()> onClose;
    // When set, the window's context menu offers to export the incidents.
    std::function<void()> onExport;
    // When set, the context menu offers to show the incident list.
    std::function<void()> onIncidentList;
    // Whether the user reads distances in miles, else kilometres; asked whenever a distance
    // is shown, as the user may switch at any time. Unset: kilometres.
    std::function<bool()> inMiles;
    // Why a station's emergency was held back (it does not sound); empty when it was not.
    std::function<std::string(const std::string& callsign)> heldBack;

    // Call when stations were heard; repaints a moment later, once for all the stations
    // heard meanwhile (a flood of frames must not repaint the whole map for each one), and
    // then brings new emergencies into view.
    void StationsChanged() { RepaintSoon(); }
    static constexpr int kRepaintDelay_ms = 100;
    // Half the view's shorter side, in kilometres. A zoom like the user's: the map's scale
    // follows (twice this) and the add-on draws its circles again.
    void SetSpanKm(double km);
    double SpanKm() const { return scene_.SpanKm(); }

    // Widens the view to take in each station newly in emergency that lies outside it, unless
    // the user moved the map within kUserHold_ms; runs after each repaint delay.
    void ShowNewEmergencies();
    static constexpr qint64 kUserHold_ms = 30'000;
    // A station in emergency outside the view: where its marker sits on the edge, and its
    // callsign with the distance from home.
    struct EdgeMarker {
        QPointF at;
        QString text;
    };
    std::vector<EdgeMarker> EdgeMarkers() const;
    // The text over the scale bar: the bar's length and the map's scale, both in the user's unit.
    QString ScaleText() const;

    // A warning band across the top of the map (a silent feed); empty text removes it.
    void SetWarning(const QString& text) {
        warning_ = text;
        scene_.warningShown = !text.isEmpty();
        update();
    }
    const QString& Warning() const { return warning_; }
    // The evidence of stations in emergency: drawn in red, detailed on hover and click.
    void SetEvidence(const builtin_host::EvidenceBook* evidence) {
        scene_.evidence = evidence;
        update();
    }
    // The detail of the station drawn nearest to a point of the view, within a few pixels;
    // empty when there is none. Plain text.
    QString DetailAt(QPointF point) const;
    // The land and borders drawn under everything; none: a plain background.
    void SetBaseMap(std::shared_ptr<const basemap::BaseMap> map) {
        baseMap_ = std::move(map);
        update();
    }
    // Online tiles drawn over the base map, with their attribution; none by default.
    void SetTileLayer(TileLayer* tiles);
    // Where a place is drawn in the view now, in pixels (on the turn of the world in view).
    QPointF ScreenPoint(double latDeg, double lonDeg) const;
    void SetHomeCallsign(std::string call) {
        scene_.homeCallsign = std::move(call);
        update();
    }

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // The scene, told the view's size now (a hidden widget is resized without an event).
    map_scene::MapScene& Scene() const;
    void PanByPixels(QPointF moved);
    // The base map as drawn for the view now: drawn again only when the view moved, so a
    // repaint for new traffic costs no projecting and filling of coasts.
    const QImage& BaseMapImage(const MapProjection& p);
    void PaintCircles(QPainter& painter) const;
    void PaintStations(QPainter& painter) const;
    // A station's dot, drawn once for each colour and size and then stamped, and a label's
    // box, measured once for each text: thousands of stations are repainted ten times a second.
    const QImage& Dot(const QColor& fill, int radius) const;
    map_scene::Rect LabelBox(const QFont& font, const std::string& text) const;
    void PaintHome(QPainter& painter) const;
    void PaintScale(QPainter& painter) const;
    void PaintAttribution(QPainter& painter) const;
    void PaintWarning(QPainter& painter) const;
    void PaintEdgeMarkers(QPainter& painter) const;
    void UserMovedTheMap() { userMoved_.start(); }
    void ShowDetail(QPointF point, QPoint globalPoint);
    // The stations and the add-on's drawing change with the traffic: repainted at most ten
    // times a second.
    void RepaintSoon();

    builtin_host::HostMap& map_;
    mutable map_scene::MapScene scene_;
    std::optional<QPointF> dragFrom_;
    bool dragged_ = false;
    std::shared_ptr<const basemap::BaseMap> baseMap_;
    TileLayer* tiles_ = nullptr;
    QImage baseMapImage_;
    // What the image was drawn for: the map, the view's size and pixel ratio, the projection.
    using BaseMapKey =
        std::tuple<const basemap::BaseMap*, QSize, qreal, double, double, double, double, double>;
    BaseMapKey baseMapKey_;
    mutable std::map<std::pair<QRgb, int>, QImage> dots_;
    mutable std::map<std::string, map_scene::Rect, std::less<>> labelBoxes_;
    mutable QFont labelFont_;  // the font the label boxes were measured in
    QTimer repaint_;
    QString warning_;
    QElapsedTimer userMoved_;  // since the user last panned or zoomed
};

}  // namespace qt_host
