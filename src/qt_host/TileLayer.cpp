// Tile arithmetic (web Mercator, z/x/y), the disk cache and the paced requests.
#include "qt_host/TileLayer.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <cmath>

#include "net/HttpGet.h"

namespace qt_host {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kMaxMercatorLat = 85.0511;
constexpr int kMaxZoom = 19;

double TileX(double lon, int z) {
    return (lon + 180.0) / 360.0 * std::ldexp(1.0, z);
}
double TileY(double lat, int z) {
    const double r = std::clamp(lat, -kMaxMercatorLat, kMaxMercatorLat) * kPi / 180;
    return (1.0 - std::asinh(std::tan(r)) / kPi) / 2.0 * std::ldexp(1.0, z);
}
double TileLon(double x, int z) {
    return x / std::ldexp(1.0, z) * 360.0 - 180.0;
}
double TileLat(double y, int z) {
    return std::atan(std::sinh(kPi * (1.0 - 2.0 * y / std::ldexp(1.0, z)))) * 180 / kPi;
}

}  // namespace

std::vector<TileKey> TilesCovering(double west, double south, double east, double north, int z) {
    const int last = (1 << z) - 1;
    const int x0 = std::clamp(static_cast<int>(std::floor(TileX(west, z))), 0, last);
    const int x1 = std::clamp(static_cast<int>(std::floor(TileX(east, z))), 0, last);
    const int y0 = std::clamp(static_cast<int>(std::floor(TileY(north, z))), 0, last);
    const int y1 = std::clamp(static_cast<int>(std::floor(TileY(south, z))), 0, last);
    std::vector<TileKey> tiles;
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) tiles.push_back({z, x, y});
    return tiles;
}

int TileZoomFor(const MapProjection& p) {
    const double pixelsPerDegree = p.pixelsPerKm * p.KmPerDegreeLon();
    const double z = std::log2(360.0 * pixelsPerDegree / 256.0);
    return std::clamp(static_cast<int>(std::lround(z)), 0, kMaxZoom);
}

TileLayer::TileLayer(TileSettings settings, boost::asio::io_context& io, net::UiQueue& ui,
                     QObject* parent)
    : QObject(parent), settings_(std::move(settings)), io_(io), ui_(ui) {
    connect(&pace_, &QTimer::timeout, this, &TileLayer::StartNext);
    pace_.start(settings_.pace_ms);
}

QString TileLayer::CacheFile(const TileKey& key) const {
    // One folder per server, so two templates never mix their tiles.
    const QString server =
        QCryptographicHash::hash(settings_.urlTemplate.toUtf8(), QCryptographicHash::Sha1)
            .toHex()
            .left(12);
    return settings_.cacheFolder + '/' + server + '/' + key.Text() + ".tile";
}

const QImage* TileLayer::Find(const TileKey& key) {
    if (const QImage* image = images_.object(key.Text())) return image;
    QImage image;
    if (!image.load(CacheFile(key))) return nullptr;
    images_.insert(key.Text(), new QImage(std::move(image)));
    return images_.object(key.Text());
}

void TileLayer::Paint(QPainter& painter, const MapProjection& p, const QRectF& view) {
    const int z = TileZoomFor(p);
    const basemap::GeoPoint nw = p.ToGeo(FromQt(view.topLeft()));
    const basemap::GeoPoint se = p.ToGeo(FromQt(view.bottomRight()));
    const auto tiles =
        TilesCovering(nw.longitude_deg, se.latitude_deg, se.longitude_deg, nw.latitude_deg, z);
    wanted_.clear();                 // what scrolled out of view is not asked for any more
    if (tiles.size() > 400) return;  // a view this large is the base map's
    for (const TileKey& key : tiles) {
        const QPointF topLeft = ToQt(p.ToScreen(TileLat(key.y, z), TileLon(key.x, z)));
        const QPointF bottomRight = ToQt(p.ToScreen(TileLat(key.y + 1, z), TileLon(key.x + 1, z)));
        if (const QImage* image = Find(key)) {
            painter.drawImage(QRectF(topLeft, bottomRight), *image);
        } else if (!running_.contains(key.Text()) && !failed_.contains(key.Text())) {
            wanted_.push_back(key);
        }
    }
}

void TileLayer::StartNext() {
    if (wanted_.empty() || running_.size() >= settings_.maxRunning) return;
    const TileKey key = wanted_.front();
    wanted_.pop_front();
    QString url = settings_.urlTemplate;
    url.replace("{z}", QString::number(key.z))
        .replace("{x}", QString::number(key.x))
        .replace("{y}", QString::number(key.y));
    running_.insert(key.Text());
    ++requestsSent_;
    net::HttpGet(io_, ui_,
                 {.url = url.toStdString(),
                  .userAgent = settings_.userAgent.toStdString(),
                  .timeout = std::chrono::seconds(30),
                  .maxBody = 4 << 20},
                 [this, alive = alive_, key](net::HttpGetAnswer answer) {
                     if (!*alive) return;
                     Arrived(key, QByteArray::fromStdString(answer.body), answer.ok);
                 });
}

TileLayer::~TileLayer() {
    *alive_ = false;
}

void TileLayer::Arrived(const TileKey& key, const QByteArray& bytes, bool ok) {
    running_.remove(key.Text());
    QImage image;
    if (!ok || !image.loadFromData(bytes)) {
        failed_.insert(key.Text());  // not asked for again in this run
        return;
    }
    const QString file = CacheFile(key);
    QDir().mkpath(QFileInfo(file).path());
    QSaveFile out(file);
    if (out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size()) out.commit();
    images_.insert(key.Text(), new QImage(std::move(image)));
    if (onTileArrived) onTileArrived();
}

}  // namespace qt_host
