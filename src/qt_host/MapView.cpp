// Paints the built-in host's map as its scene says: the base map, the stations heard, the
// add-on's circles and a scale bar, and lets the user pan and zoom it.
#include "qt_host/MapView.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QFontMetricsF>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <QWheelEvent>
#include <cmath>
#include <vector>

#include "qt/Colors.h"
#include "qt/SafeCall.h"
#include "qt/ShapeWidget.h"
#include "qt_host/BaseMapLayer.h"

namespace qt_host {

namespace {

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

MapView::MapView(builtin_host::HostMap& map, const builtin_host::StationList& stations,
                 QWidget* parent)
    : QWidget(parent), map_(map), scene_(map, stations) {
    setWindowTitle(QStringLiteral("Sirenwatch host map"));
    setMinimumSize(320, 240);
    resize(640, 480);
    scene_.inMiles = [this] { return inMiles && inMiles(); };
    scene_.heldBack = [this](const std::string& callsign) {
        return heldBack ? heldBack(callsign) : std::string();
    };
    repaint_.setSingleShot(true);
    repaint_.setInterval(kRepaintDelay_ms);
    connect(&repaint_, &QTimer::timeout, this, [this] {
        update();
        qt::SafeCall([this] { ShowNewEmergencies(); });
    });
    setMouseTracking(true);
    QPointer<MapView> self(this);
    map_.SetChangeListener([self] {
        if (self) self->RepaintSoon();
    });
}

map_scene::MapScene& MapView::Scene() const {
    scene_.SetViewSize({static_cast<double>(width()), static_cast<double>(height())});
    return scene_;
}

void MapView::RepaintSoon() {
    if (!repaint_.isActive()) repaint_.start();
}

void MapView::SetSpanKm(double km) {
    Scene().SetSpanKm(km);
    update();
    // Like a real station program, a zoom changes the scale the add-on sizes its circles
    // by, and redraws the map so they are drawn again at the new size.
    if (map_.SetScale(static_cast<float>(2 * scene_.SpanKm())))
        qt::SafeCall([this] { map_.Redraw(); });
}

QPointF MapView::ScreenPoint(double latDeg, double lonDeg) const {
    return ToQt(Scene().Projection().PlaceToScreen(latDeg, lonDeg));
}

void MapView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const MapProjection p = Scene().Projection();
    painter.drawImage(QPointF(0, 0), BaseMapImage(p));
    if (tiles_ != nullptr) tiles_->Paint(painter, p, rect());
    PaintCircles(painter);
    PaintStations(painter);
    PaintHome(painter);
    PaintScale(painter);
    PaintAttribution(painter);
    PaintEdgeMarkers(painter);
    PaintWarning(painter);
}

const QImage& MapView::BaseMapImage(const MapProjection& p) {
    const qreal ratio = devicePixelRatioF();
    const BaseMapKey key{baseMap_.get(), size(),        ratio,          p.homeLat,
                         p.homeLon,      p.pixelsPerKm, p.centreEastKm, p.centreNorthKm};
    if (key == baseMapKey_ && !baseMapImage_.isNull()) return baseMapImage_;
    baseMapKey_ = key;
    baseMapImage_ = QImage(size() * ratio, QImage::Format_ARGB32_Premultiplied);
    baseMapImage_.setDevicePixelRatio(ratio);
    QPainter painter(&baseMapImage_);
    painter.setRenderHint(QPainter::Antialiasing);
    PaintBaseMap(painter, baseMap_.get(), p, rect());
    return baseMapImage_;
}

void MapView::PaintCircles(QPainter& painter) const {
    for (const map_scene::CircleShape& shape : Scene().Circles()) {
        const builtin_host::Circle& c = *shape.circle;
        QColor line = qt::ToQColor(c.color);
        QPen pen(line.isValid() ? line : QColor(Qt::black));
        pen.setWidth(std::max<int>(c.drawWidth, 1));
        painter.setPen(pen);
        QColor fill = qt::ToQColor(c.fillColor);
        Qt::BrushStyle style = qt::BrushStyleFor(c.fillStyle);
        painter.setBrush(style == Qt::NoBrush || !fill.isValid() ? QBrush(Qt::NoBrush)
                                                                 : QBrush(fill, style));
        painter.drawEllipse(ToQt(shape.centre), shape.radiusX, shape.radiusY);
    }
}

// Symbols first, then the callsigns beside them where the scene found room.
void MapView::PaintStations(QPainter& painter) const {
    const auto marks = Scene().Stations();
    for (const map_scene::StationMark& m : marks) {
        const QImage& dot = Dot(ToQt(m.fill), m.radius);
        const double half = dot.deviceIndependentSize().width() / 2;
        painter.drawImage(QPointF(std::round(m.at.x - half), std::round(m.at.y - half)), dot);
    }
    const QFont font = painter.font();
    const auto labels =
        scene_.Labels(marks, [&](const std::string& text) { return LabelBox(font, text); });
    painter.setPen(QColor(20, 20, 20));
    // Drawn as text, never interpreted: the names come from the air.
    for (const map_scene::Label& label : labels)
        painter.drawText(ToQt(label.baseline), Text(label.text));
}

const QImage& MapView::Dot(const QColor& fill, int radius) const {
    QImage& dot = dots_[{fill.rgba(), radius}];
    if (!dot.isNull()) return dot;
    const qreal ratio = devicePixelRatioF();
    const int side = 2 * radius + 4;  // the outline's half pixel and the antialiasing
    dot = QImage(QSize(side, side) * ratio, QImage::Format_ARGB32_Premultiplied);
    dot.setDevicePixelRatio(ratio);
    dot.fill(Qt::transparent);
    QPainter painter(&dot);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(40, 40, 40), 1));
    painter.setBrush(fill);
    painter.drawEllipse(QPointF(side / 2.0, side / 2.0), radius, radius);
    return dot;
}

map_scene::Rect MapView::LabelBox(const QFont& font, const std::string& text) const {
    constexpr std::size_t kMaxBoxes = 50'000;
    if (font != labelFont_ || labelBoxes_.size() > kMaxBoxes) {
        labelBoxes_.clear();
        labelFont_ = font;
    }
    const auto found = labelBoxes_.find(text);
    if (found != labelBoxes_.end()) return found->second;
    const map_scene::Rect box = FromQt(QFontMetricsF(font).boundingRect(Text(text)));
    labelBoxes_.emplace(text, box);
    return box;
}

void MapView::PaintHome(QPainter& painter) const {
    const QPointF home = ToQt(Scene().Home());
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(QColor(20, 60, 200));
    painter.drawRect(QRectF(home.x() - 4, home.y() - 4, 8, 8));
    if (!scene_.homeCallsign.empty())
        painter.drawText(ToQt(scene_.HomeLabelAt()), Text(scene_.homeCallsign));
}

QString MapView::ScaleText() const {
    return Text(Scene().Scale(map_.Scale()).text);
}

// In the lower left, clear of the warning band.
void MapView::PaintScale(QPainter& painter) const {
    const map_scene::ScaleBar bar = Scene().Scale(map_.Scale());
    const QPointF left = ToQt(bar.left), right = ToQt(bar.right);
    painter.setPen(QPen(Qt::black, 2));
    painter.drawLine(left, right);
    painter.drawLine(left, left + QPointF(0, -6));
    painter.drawLine(right, right + QPointF(0, -6));
    painter.setPen(Qt::black);
    painter.drawText(left + QPointF(0, -9), Text(bar.text));
}

void MapView::PaintAttribution(QPainter& painter) const {
    QStringList credits;
    if (baseMap_) credits << QStringLiteral("Base map: Natural Earth");
    if (tiles_ != nullptr && !tiles_->Attribution().isEmpty()) credits << tiles_->Attribution();
    if (credits.isEmpty()) return;
    const QString text = credits.join(QStringLiteral(" | "));
    QRectF box = QFontMetricsF(font()).boundingRect(text);
    box.moveBottomRight(QPointF(width() - 4, height() - 2));
    painter.fillRect(box.adjusted(-3, -1, 3, 1), QColor(255, 255, 255, 190));
    painter.setPen(QColor(40, 40, 40));
    painter.drawText(box, Qt::AlignCenter, text);
}

void MapView::SetTileLayer(TileLayer* tiles) {
    tiles_ = tiles;
    if (tiles_ != nullptr) {
        QPointer<MapView> self(this);
        tiles_->onTileArrived = [self] {
            if (self) self->update();
        };
    }
    update();
}

void MapView::PaintWarning(QPainter& painter) const {
    if (warning_.isEmpty()) return;
    const QRect band(0, 0, width(), static_cast<int>(map_scene::MapScene::kBandHeight));
    painter.fillRect(band, QColor(200, 20, 20));
    painter.setPen(Qt::white);
    QFont bold = painter.font();
    bold.setBold(true);
    painter.setFont(bold);
    painter.drawText(band.adjusted(8, 0, -8, 0), Qt::AlignVCenter | Qt::AlignLeft, warning_);
    painter.setFont(font());
}

QString MapView::DetailAt(QPointF point) const {
    return Text(Scene().DetailAt(FromQt(point)));
}

std::vector<MapView::EdgeMarker> MapView::EdgeMarkers() const {
    std::vector<EdgeMarker> markers;
    for (const map_scene::EdgeMarker& m : Scene().EdgeMarkers())
        markers.push_back({ToQt(m.at), Text(m.text)});
    return markers;
}

// A red arrow on the edge pointing out towards the station, its callsign and distance beside
// it on the inside.
void MapView::PaintEdgeMarkers(QPainter& painter) const {
    const QFontMetricsF metrics(painter.font());
    for (const map_scene::EdgeMarker& m : Scene().EdgeMarkers()) {
        const QPointF at = ToQt(m.at), d = ToQt(m.direction), n(-d.y(), d.x());
        const QPointF tip = at + d * 10;
        painter.setPen(QPen(QColor(120, 0, 0), 1));
        painter.setBrush(QColor(220, 30, 30));
        painter.drawPolygon(QPolygonF{tip, at - d * 4 + n * 7, at - d * 4 - n * 7});
        const QString text = Text(m.text);
        const QRectF measured = metrics.boundingRect(text);
        const QRectF box = ToQt(scene_.EdgeLabelBox(m, {measured.width(), measured.height()}));
        painter.fillRect(box, QColor(255, 255, 255, 210));
        painter.setPen(QColor(160, 0, 0));
        painter.drawText(box, Qt::AlignCenter, text);
    }
}

void MapView::ShowNewEmergencies() {
    const bool userHolds = userMoved_.isValid() && userMoved_.elapsed() < kUserHold_ms;
    const double wanted = Scene().SpanForNewEmergencies(userHolds);
    if (wanted > scene_.SpanKm()) SetSpanKm(wanted);
}

// Air text goes into the tip escaped, so it is shown as it came and never interpreted.
void MapView::ShowDetail(QPointF point, QPoint globalPoint) {
    const QString detail = DetailAt(point);
    if (detail.isEmpty()) {
        QToolTip::hideText();
        return;
    }
    QToolTip::showText(globalPoint, "<p style='white-space:pre'>" + detail.toHtmlEscaped() + "</p>",
                       this);
}

void MapView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        dragFrom_ = event->position();
        dragged_ = false;
    }
    QWidget::mousePressEvent(event);
}

// Dragging with the left button moves the map under the pointer; a few pixels of jitter in
// a click are not a drag.
void MapView::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton)) {
        ShowDetail(event->position(), event->globalPosition().toPoint());
    } else if (dragFrom_) {
        const QPointF moved = event->position() - *dragFrom_;
        dragged_ = dragged_ || moved.manhattanLength() > 3;
        if (dragged_) {
            UserMovedTheMap();
            PanByPixels(moved);
            dragFrom_ = event->position();
        }
    }
    QWidget::mouseMoveEvent(event);
}

void MapView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && !dragged_)
        ShowDetail(event->position(), event->globalPosition().toPoint());
    dragFrom_.reset();
    QWidget::mouseReleaseEvent(event);
}

void MapView::PanByPixels(QPointF moved) {
    Scene().PanByPixels(FromQt(moved));
    update();
}

void MapView::contextMenuEvent(QContextMenuEvent* event) {
    if (!onExport && !onIncidentList) return;
    QMenu menu(this);
    if (onIncidentList)
        menu.addAction(QStringLiteral("Incident list"), this,
                       [this] { qt::SafeCall(onIncidentList); });
    if (onExport)
        menu.addAction(QStringLiteral("Export incidents (GPX, KML)..."), this,
                       [this] { qt::SafeCall(onExport); });
    menu.exec(event->globalPos());
}

void MapView::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    qt::SafeCall(onClose);
}

// The point of the map under the pointer stays under it.
void MapView::wheelEvent(QWheelEvent* event) {
    UserMovedTheMap();
    Scene().ZoomAround(FromQt(event->position()), event->angleDelta().y() / 120.0);
    SetSpanKm(scene_.SpanKm());  // the host's scale follows, and the add-on draws again
    event->accept();
}

}  // namespace qt_host
