// Paints the built-in host's map: a flat projection around the home station, the stations
// heard, the add-on's circles and a scale bar.
#include "qt_host/MapView.h"

#include <QCloseEvent>
#include <QPainter>
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

}  // namespace

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
        painter.setBrush(s.isObject ? QColor(120, 120, 220) : QColor(30, 120, 30));
        painter.drawEllipse(at, 3, 3);
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
