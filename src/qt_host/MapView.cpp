// Paints the built-in host's map: the base map, the stations heard, the add-on's circles and
// a scale bar, and lets the user pan and zoom it.
#include "qt_host/MapView.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QFontMetricsF>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <vector>

#include "qt/Colors.h"
#include "qt/SafeCall.h"
#include "qt/ShapeWidget.h"
#include "qt_host/BaseMapLayer.h"
#include "qt_host/StationDetail.h"

namespace qt_host {

namespace {

constexpr double kKmPerDegreeLat = MapProjection::kKmPerDegreeLat;
constexpr double kMinSpanKm = 0.5;
constexpr double kMaxSpanKm = 20000;
constexpr double kKmPerMile = 1.609344;
constexpr int kBandHeight = 28;

// A round length (1, 2 or 5 times a power of ten) close to the wanted one.
double RoundLength(double km) {
    double power = std::pow(10.0, std::floor(std::log10(km)));
    for (double step : {5.0, 2.0, 1.0})
        if (step * power <= km) return step * power;
    return power;
}

// A length in the user's unit, with its name: "500 m", "20 km", "0.5 mi", "10 mi".
QString LengthText(double units, bool miles) {
    if (miles) return QStringLiteral("%1 mi").arg(units, 0, 'f', units < 1 ? 1 : 0);
    if (units < 1) return QStringLiteral("%1 m").arg(units * 1000, 0, 'f', 0);
    return QStringLiteral("%1 km").arg(units, 0, 'f', 0);
}

// The map's scale with as many decimals as it takes to tell one wheel step from the next.
QString ScaleNumber(double value) {
    return QString::number(value, 'f', value >= 100 ? 0 : value >= 10 ? 1 : 2);
}

}  // namespace

MapView::MapView(builtin_host::HostMap& map, const builtin_host::StationList& stations,
                 QWidget* parent)
    : QWidget(parent),
      map_(map),
      stations_(stations),
      spanKm_(std::clamp(map.GetScale() / 2.0, kMinSpanKm, kMaxSpanKm)) {
    setWindowTitle(QStringLiteral("Sirenwatch host map"));
    setMinimumSize(320, 240);
    resize(640, 480);
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

void MapView::RepaintSoon() {
    if (!repaint_.isActive()) repaint_.start();
}

void MapView::SetSpanKm(double km) {
    spanKm_ = std::clamp(km, kMinSpanKm, kMaxSpanKm);
    update();
    // Like a real station program, a zoom changes the scale the add-on sizes its circles
    // by, and redraws the map so they are drawn again at the new size.
    if (map_.SetScale(static_cast<float>(2 * spanKm_))) qt::SafeCall([this] { map_.Redraw(); });
}

MapProjection MapView::Projection() const {
    const auto& home = stations_.Home();
    MapProjection p;
    p.homeLat = home.latitude_deg;
    p.homeLon = home.longitude_deg;
    p.centre = QPointF(width() / 2.0, height() / 2.0);
    p.pixelsPerKm = (std::min(width(), height()) / 2.0) / spanKm_;
    p.centreEastKm = centreEastKm_;
    p.centreNorthKm = centreNorthKm_;
    return p;
}

QPointF MapView::ScreenPoint(double latDeg, double lonDeg) const {
    return Projection().PlaceToScreen(latDeg, lonDeg);
}

void MapView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const MapProjection p = Projection();
    painter.drawImage(QPointF(0, 0), BaseMapImage(p));
    if (tiles_ != nullptr) tiles_->Paint(painter, p, rect());
    PaintCircles(painter, p);
    PaintStations(painter, p);
    PaintHome(painter, p);
    PaintScale(painter, p);
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

void MapView::PaintCircles(QPainter& painter, const MapProjection& p) const {
    for (const builtin_host::Circle& c : map_.Circles()) {
        QPointF centre = p.PlaceToScreen(c.y / 60.0, c.x / 60.0);
        // The radius is in minutes of arc of latitude.
        double radius = c.radius / 60.0 * kKmPerDegreeLat * p.pixelsPerKm;
        double aspect = (c.aspect > 0 && std::isfinite(c.aspect)) ? c.aspect : 1.0;
        double rx = aspect > 1 ? radius / aspect : radius;
        double ry = aspect > 1 ? radius : radius * aspect;
        QColor line = qt::ToQColor(c.color);
        QPen pen(line.isValid() ? line : QColor(Qt::black));
        pen.setWidth(std::max<int>(c.drawWidth, 1));
        painter.setPen(pen);
        QColor fill = qt::ToQColor(c.fillColor);
        Qt::BrushStyle style = qt::BrushStyleFor(c.fillStyle);
        painter.setBrush(style == Qt::NoBrush || !fill.isValid() ? QBrush(Qt::NoBrush)
                                                                 : QBrush(fill, style));
        painter.drawEllipse(centre, rx, ry);
    }
}

// Symbols first, then the callsigns beside them: those in emergency, then the most recently
// heard, each only where it does not cover one already written.
void MapView::PaintStations(QPainter& painter, const MapProjection& p) const {
    const QRectF area = QRectF(rect()).adjusted(-20, -20, 20, 20);
    std::vector<std::pair<QPointF, QString>> emergencyLabels, otherLabels;
    stations_.ForEach([&](const builtin_host::StationData& s) {
        if (!s.latitude_deg || !s.longitude_deg) return;
        const QPointF at = p.PlaceToScreen(*s.latitude_deg, *s.longitude_deg);
        if (!area.contains(at)) return;
        const bool emergency = evidence_ != nullptr && evidence_->Find(s.callsign) != nullptr;
        const std::string why = emergency && heldBack ? heldBack(s.callsign) : std::string();
        // Held back: orange, and the reason beside the callsign.
        const QImage& dot = Dot(!why.empty() ? QColor(240, 150, 20)
                                : emergency  ? QColor(220, 30, 30)
                                : s.isObject ? QColor(120, 120, 220)
                                             : QColor(30, 120, 30),
                                emergency ? 5 : 3);
        const double half = dot.deviceIndependentSize().width() / 2;
        painter.drawImage(QPointF(std::round(at.x() - half), std::round(at.y() - half)), dot);
        (emergency ? emergencyLabels : otherLabels)
            .emplace_back(
                at, QString::fromStdString(why.empty() ? s.callsign
                                                       : s.callsign + " (held back: " + why + ")"));
    });
    std::vector<std::pair<QPointF, QString>> labels = std::move(emergencyLabels);
    labels.insert(labels.end(), otherLabels.rbegin(), otherLabels.rend());
    const auto& home = stations_.Home();
    std::vector<QRectF> taken{HomeLabelRect(p.ToScreen(home.latitude_deg, home.longitude_deg))};
    const QFontMetricsF metrics(painter.font());
    painter.setPen(QColor(20, 20, 20));
    for (const auto& [at, text] : labels) {
        const QRectF box = LabelBox(painter.font(), metrics, text).translated(at + QPointF(7, -4));
        if (std::any_of(taken.begin(), taken.end(),
                        [&](const QRectF& other) { return other.intersects(box); }))
            continue;
        taken.push_back(box);
        // Drawn as text, never interpreted: the name comes from the air.
        painter.drawText(at + QPointF(7, -4), text);
    }
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

QRectF MapView::LabelBox(const QFont& font, const QFontMetricsF& metrics,
                         const QString& text) const {
    constexpr qsizetype kMaxBoxes = 50'000;
    if (font != labelFont_ || labelBoxes_.size() > kMaxBoxes) {
        labelBoxes_.clear();
        labelFont_ = font;
    }
    const auto found = labelBoxes_.constFind(text);
    if (found != labelBoxes_.constEnd()) return *found;
    return *labelBoxes_.insert(text, metrics.boundingRect(text));
}

QRectF MapView::HomeLabelRect(QPointF home) const {
    if (homeCall_.empty()) return {};
    return QFontMetricsF(font())
        .boundingRect(QString::fromStdString(homeCall_))
        .translated(home + QPointF(7, 12));
}

void MapView::PaintHome(QPainter& painter, const MapProjection& p) const {
    const auto& station = stations_.Home();
    const QPointF home = p.ToScreen(station.latitude_deg, station.longitude_deg);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(QColor(20, 60, 200));
    painter.drawRect(QRectF(home.x() - 4, home.y() - 4, 8, 8));
    if (!homeCall_.empty())
        painter.drawText(home + QPointF(7, 12), QString::fromStdString(homeCall_));
}

double MapView::BarLengthInUnits() const {
    const double unitKm = Miles() ? kKmPerMile : 1;
    return RoundLength(width() / 4.0 / Projection().pixelsPerKm / unitKm);
}

QString MapView::ScaleText() const {
    const bool miles = Miles();
    const double scale = map_.GetScale() / (miles ? kKmPerMile : 1);
    return QStringLiteral("%1    Scale %2 %3")
        .arg(LengthText(BarLengthInUnits(), miles), ScaleNumber(scale), miles ? "mi" : "km");
}

// In the lower left, clear of the warning band.
void MapView::PaintScale(QPainter& painter, const MapProjection& p) const {
    const double barPx = BarLengthInUnits() * (Miles() ? kKmPerMile : 1) * p.pixelsPerKm;
    QPointF left(12, height() - 16);
    QPointF right = left + QPointF(barPx, 0);
    painter.setPen(QPen(Qt::black, 2));
    painter.drawLine(left, right);
    painter.drawLine(left, left + QPointF(0, -6));
    painter.drawLine(right, right + QPointF(0, -6));
    painter.setPen(Qt::black);
    painter.drawText(left + QPointF(0, -9), ScaleText());
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
    const QRect band(0, 0, width(), kBandHeight);
    painter.fillRect(band, QColor(200, 20, 20));
    painter.setPen(Qt::white);
    QFont bold = painter.font();
    bold.setBold(true);
    painter.setFont(bold);
    painter.drawText(band.adjusted(8, 0, -8, 0), Qt::AlignVCenter | Qt::AlignLeft, warning_);
    painter.setFont(font());
}

QString MapView::DetailAt(QPointF point) const {
    constexpr double kReach_px = 8;
    const MapProjection p = Projection();
    const builtin_host::StationData* nearest = nullptr;
    double best = kReach_px * kReach_px;
    stations_.ForEach([&](const builtin_host::StationData& s) {
        if (!s.latitude_deg || !s.longitude_deg) return;
        const QPointF d = p.PlaceToScreen(*s.latitude_deg, *s.longitude_deg) - point;
        const double squared = d.x() * d.x() + d.y() * d.y();
        if (squared <= best) {
            best = squared;
            nearest = &s;
        }
    });
    if (nearest == nullptr) return {};
    QString detail =
        StationDetail(*nearest, evidence_ ? evidence_->Find(nearest->callsign) : nullptr,
                      stations_.Home(), Miles());
    if (const std::string why = heldBack ? heldBack(nearest->callsign) : std::string();
        !why.empty())
        detail += "\nHeld back: " + QString::fromStdString(why);
    return detail;
}

std::vector<MapView::EdgeMarker> MapView::EdgeMarkers() const {
    std::vector<EdgeMarker> markers;
    if (evidence_ == nullptr) return markers;
    const MapProjection p = Projection();
    const QRectF view(rect());
    // The markers stay clear of the edge, and of the warning band when it is there.
    const double top = (warning_.isEmpty() ? 0 : kBandHeight) + 14;
    const QRectF inner = view.adjusted(14, top, -14, -14);
    evidence_->ForEach([&](const builtin_host::StationEvidence& e) {
        const builtin_host::StationData* s = stations_.Peek(e.callsign);
        if (s == nullptr || !s->latitude_deg || !s->longitude_deg) return;
        const QPointF at = p.PlaceToScreen(*s->latitude_deg, *s->longitude_deg);
        if (view.contains(at) || !inner.isValid()) return;
        // Along the line from the view's centre towards the station, up to the inner edge.
        const QPointF c = inner.center(), d = at - c;
        double t = 1;
        if (d.x() != 0) t = std::min(t, inner.width() / 2 / std::abs(d.x()));
        if (d.y() != 0) t = std::min(t, inner.height() / 2 / std::abs(d.y()));
        const auto db = builtin_host::FromHome(stations_.Home(), s->latitude_deg, s->longitude_deg);
        QString text = QString::fromStdString(e.callsign);
        if (db) text += ' ' + DistanceText(db->distance_km, Miles());
        markers.push_back({c + d * t, text});
    });
    return markers;
}

// A red arrow on the edge pointing out towards the station, its callsign and distance beside
// it on the inside.
void MapView::PaintEdgeMarkers(QPainter& painter) const {
    const QPointF c = QRectF(rect()).center();
    const QFontMetricsF metrics(painter.font());
    for (const EdgeMarker& m : EdgeMarkers()) {
        const QLineF towards(m.at, m.at + (m.at - c));
        const QLineF unit = towards.unitVector();
        const QPointF d = unit.p2() - unit.p1(), n(-d.y(), d.x());
        const QPointF tip = m.at + d * 10;
        painter.setPen(QPen(QColor(120, 0, 0), 1));
        painter.setBrush(QColor(220, 30, 30));
        painter.drawPolygon(QPolygonF{tip, m.at - d * 4 + n * 7, m.at - d * 4 - n * 7});
        QRectF box = metrics.boundingRect(m.text).adjusted(-3, -1, 3, 1);
        box.moveCenter(m.at - d * (std::abs(d.x()) * box.width() / 2 +
                                   std::abs(d.y()) * box.height() / 2 + 8));
        box.moveLeft(std::clamp(box.left(), 2.0, std::max(2.0, width() - box.width() - 2)));
        box.moveTop(std::clamp(box.top(), 2.0, std::max(2.0, height() - box.height() - 2)));
        painter.fillRect(box, QColor(255, 255, 255, 210));
        painter.setPen(QColor(160, 0, 0));
        painter.drawText(box, Qt::AlignCenter, m.text);
    }
}

void MapView::ShowNewEmergencies() {
    if (evidence_ == nullptr) return;
    const bool userHolds = userMoved_.isValid() && userMoved_.elapsed() < kUserHold_ms;
    const MapProjection p = Projection();
    // The half extents, in pixels, the stations to take in must fit in.
    const double margin = 32;
    const double halfWidth = std::max(width() / 2.0 - margin, 1.0);
    const double halfHeight = std::max(height() / 2.0 - margin - kBandHeight, 1.0);
    const double shorterHalf = std::min(width(), height()) / 2.0;
    double wanted = spanKm_;
    evidence_->ForEach([&](const builtin_host::StationEvidence& e) {
        const builtin_host::StationData* s = stations_.Peek(e.callsign);
        if (s == nullptr || !s->latitude_deg || !s->longitude_deg) return;
        if (!emergenciesShown_.insert(e.callsign).second || userHolds) return;
        const QPointF d = p.PlaceToScreen(*s->latitude_deg, *s->longitude_deg) - p.centre;
        if (std::abs(d.x()) <= halfWidth && std::abs(d.y()) <= halfHeight) return;
        // Kilometres from the centre, and the span that puts them inside the margins.
        const double eastKm = std::abs(d.x()) / p.pixelsPerKm;
        const double northKm = std::abs(d.y()) / p.pixelsPerKm;
        wanted = std::max(
            {wanted, eastKm * shorterHalf / halfWidth, northKm * shorterHalf / halfHeight});
    });
    if (wanted > spanKm_) SetSpanKm(wanted);
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
    const double pixelsPerKm = Projection().pixelsPerKm;
    centreEastKm_ -= moved.x() / pixelsPerKm;
    centreNorthKm_ += moved.y() / pixelsPerKm;
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
    const double steps = event->angleDelta().y() / 120.0;
    const QPointF pointer = event->position();
    const basemap::GeoPoint held = Projection().ToGeo(pointer);
    UserMovedTheMap();
    SetSpanKm(spanKm_ * std::pow(1.25, -steps));
    const QPointF drift = Projection().ToScreen(held.latitude_deg, held.longitude_deg) - pointer;
    PanByPixels(-drift);
    event->accept();
}

}  // namespace qt_host
