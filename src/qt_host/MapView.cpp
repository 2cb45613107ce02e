// Paints the built-in host's map: a flat projection around the home station, the stations
// heard, the add-on's circles and a scale bar.
#include "qt_host/MapView.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDateTime>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "qt/Colors.h"
#include "qt/SafeCall.h"
#include "qt/ShapeWidget.h"

namespace qt_host {

namespace {

constexpr double kKmPerDegreeLat = 110.574;
constexpr double kKmPerDegreeLonAtEquator = 111.320;
constexpr double kPi = 3.14159265358979323846;
constexpr double kMinSpanKm = 0.5;
constexpr double kMaxSpanKm = 20000;

// A round length (1, 2 or 5 times a power of ten) close to the wanted one.
double RoundLength(double km) {
    double power = std::pow(10.0, std::floor(std::log10(km)));
    for (double step : {5.0, 2.0, 1.0})
        if (step * power <= km) return step * power;
    return power;
}

QString LengthText(double km) {
    if (km < 1) return QStringLiteral("%1 m").arg(km * 1000, 0, 'f', 0);
    return QStringLiteral("%1 km").arg(km, 0, 'f', 0);
}

QString LocalTime(std::int64_t seconds) {
    return QDateTime::fromSecsSinceEpoch(seconds).toString("yyyy-MM-dd HH:mm:ss");
}

QString EvidenceDetail(const builtin_host::Evidence& e) {
    QStringList hops;
    for (const std::string& hop : e.path.digipeaters) hops << QString::fromStdString(hop);
    QString via = e.path.viaInternet ? QStringLiteral("Internet") : QStringLiteral("radio");
    if (!e.path.gateway.empty()) via += " (gateway " + QString::fromStdString(e.path.gateway) + ")";
    return QStringList{
        "IN EMERGENCY: " + QString::fromStdString(e.cause),
        "Frame: " + QString::fromStdString(e.frame),
        "Path: " + (hops.isEmpty() ? QStringLiteral("direct") : hops.join(',')),
        "Heard directly from: " + QString::fromStdString(e.path.heardFrom),
        "Came by: " + via,
        QString("Heard %1 times, first %2, last %3")
            .arg(e.count)
            .arg(LocalTime(e.firstHeard_s), LocalTime(e.lastHeard_s)),
    }
        .join('\n');
}

}  // namespace

QString StationDetail(const builtin_host::StationData& s, const builtin_host::Evidence* evidence) {
    QStringList lines{QString::fromStdString(s.callsign)};
    if (s.latitude_deg && s.longitude_deg) {
        lines << QString("%1, %2  (%3 km, %4°)")
                     .arg(*s.latitude_deg, 0, 'f', 5)
                     .arg(*s.longitude_deg, 0, 'f', 5)
                     .arg(s.distance_km, 0, 'f', 1)
                     .arg(s.bearing_deg, 0, 'f', 0);
    }
    if (!s.beaconText.empty()) lines << QString::fromStdString(s.beaconText);
    if (evidence != nullptr) lines << EvidenceDetail(*evidence);
    return lines.join('\n');
}

// Kilometres east and north of the home station.
struct MapView::Projection {
    double homeLat = 0;
    double homeLon = 0;
    double pixelsPerKm = 1;
    QPointF centre;

    QPointF ToScreen(double latDeg, double lonDeg) const {
        double eastKm =
            (lonDeg - homeLon) * kKmPerDegreeLonAtEquator * std::cos(homeLat * kPi / 180);
        double northKm = (latDeg - homeLat) * kKmPerDegreeLat;
        return {centre.x() + eastKm * pixelsPerKm, centre.y() - northKm * pixelsPerKm};
    }
};

MapView::MapView(builtin_host::HostMap& map, const builtin_host::StationList& stations,
                 QWidget* parent)
    : QWidget(parent), map_(map), stations_(stations) {
    setWindowTitle(QStringLiteral("Sirenwatch host map"));
    setMinimumSize(320, 240);
    resize(640, 480);
    setMouseTracking(true);
    QPointer<MapView> self(this);
    map_.SetChangeListener([self] {
        if (self) self->update();
    });
}

void MapView::SetSpanKm(double km) {
    spanKm_ = std::clamp(km, kMinSpanKm, kMaxSpanKm);
    update();
}

MapView::Projection MapView::MakeProjection() const {
    const auto& home = stations_.Home();
    Projection p;
    p.homeLat = home.latitude_deg;
    p.homeLon = home.longitude_deg;
    p.centre = QPointF(width() / 2.0, height() / 2.0);
    p.pixelsPerKm = (std::min(width(), height()) / 2.0) / spanKm_;
    return p;
}

void MapView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), QColor(236, 242, 230));
    Projection p = MakeProjection();
    PaintCircles(painter, p);
    PaintStations(painter, p);
    PaintHome(painter, p);
    PaintScale(painter, p);
    PaintWarning(painter);
}

void MapView::PaintCircles(QPainter& painter, const Projection& p) const {
    for (const builtin_host::Circle& c : map_.Circles()) {
        QPointF centre = p.ToScreen(c.y / 60.0, c.x / 60.0);
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

void MapView::PaintStations(QPainter& painter, const Projection& p) const {
    QRectF area = QRectF(rect()).adjusted(-20, -20, 20, 20);
    stations_.ForEach([&](const builtin_host::StationData& s) {
        if (!s.latitude_deg || !s.longitude_deg) return;
        QPointF at = p.ToScreen(*s.latitude_deg, *s.longitude_deg);
        if (!area.contains(at)) return;
        painter.setPen(QPen(QColor(40, 40, 40), 1));
        const bool emergency = evidence_ != nullptr && evidence_->Find(s.callsign) != nullptr;
        painter.setBrush(emergency    ? QColor(220, 30, 30)
                         : s.isObject ? QColor(120, 120, 220)
                                      : QColor(30, 120, 30));
        painter.drawEllipse(at, emergency ? 5 : 3, emergency ? 5 : 3);
        // Drawn as text, never interpreted: the name comes from the air.
        painter.drawText(at + QPointF(5, -4), QString::fromStdString(s.callsign));
    });
}

void MapView::PaintHome(QPainter& painter, const Projection& p) const {
    QPointF home = p.centre;
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(QColor(20, 60, 200));
    painter.drawRect(QRectF(home.x() - 4, home.y() - 4, 8, 8));
    if (!homeCall_.empty())
        painter.drawText(home + QPointF(7, 12), QString::fromStdString(homeCall_));
}

void MapView::PaintScale(QPainter& painter, const Projection& p) const {
    double barKm = RoundLength(width() / 4.0 / p.pixelsPerKm);
    double barPx = barKm * p.pixelsPerKm;
    QPointF left(12, height() - 16);
    QPointF right = left + QPointF(barPx, 0);
    painter.setPen(QPen(Qt::black, 2));
    painter.drawLine(left, right);
    painter.drawLine(left, left + QPointF(0, -6));
    painter.drawLine(right, right + QPointF(0, -6));
    painter.setPen(Qt::black);
    painter.drawText(left + QPointF(0, -9), LengthText(barKm));
    painter.drawText(QPointF(12, 18), QStringLiteral("Scale %1").arg(map_.GetScale()));
}

void MapView::PaintWarning(QPainter& painter) const {
    if (warning_.isEmpty()) return;
    const QRect band(0, 0, width(), 28);
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
    const Projection p = MakeProjection();
    const builtin_host::StationData* nearest = nullptr;
    double best = kReach_px * kReach_px;
    stations_.ForEach([&](const builtin_host::StationData& s) {
        if (!s.latitude_deg || !s.longitude_deg) return;
        const QPointF d = p.ToScreen(*s.latitude_deg, *s.longitude_deg) - point;
        const double squared = d.x() * d.x() + d.y() * d.y();
        if (squared <= best) {
            best = squared;
            nearest = &s;
        }
    });
    if (nearest == nullptr) return {};
    return StationDetail(*nearest, evidence_ ? evidence_->Find(nearest->callsign) : nullptr);
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

void MapView::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() == Qt::NoButton)
        ShowDetail(event->position(), event->globalPosition().toPoint());
    QWidget::mouseMoveEvent(event);
}

void MapView::mouseReleaseEvent(QMouseEvent* event) {
    ShowDetail(event->position(), event->globalPosition().toPoint());
    QWidget::mouseReleaseEvent(event);
}

void MapView::contextMenuEvent(QContextMenuEvent* event) {
    if (!onExport) return;
    QMenu menu(this);
    menu.addAction(QStringLiteral("Export incidents (GPX, KML)..."), this,
                   [this] { qt::SafeCall(onExport); });
    menu.exec(event->globalPos());
}

void MapView::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    qt::SafeCall(onClose);
}

void MapView::wheelEvent(QWheelEvent* event) {
    double steps = event->angleDelta().y() / 120.0;
    SetSpanKm(spanKm_ * std::pow(1.25, -steps));
    // Like a real station program, a zoom changes the scale the add-on sizes its circles
    // by, and redraws the map so they are drawn again at the new size.
    if (map_.SetScale(static_cast<float>(spanKm_))) qt::SafeCall([this] { map_.Redraw(); });
    event->accept();
}

}  // namespace qt_host
