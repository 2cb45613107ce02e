// An optional online layer of map tiles (the usual z/x/y web map tiles) drawn over the base
// map, off unless a URL template is set. Polite to the server: every tile is kept in a disk
// cache and never asked for again while it is there, at most two requests run at once and
// they start at a steady pace, only tiles still in view are asked for, and each request
// names the program.
#pragma once

#include <QCache>
#include <QHash>
#include <QImage>
#include <QObject>
#include <QPainter>
#include <QSet>
#include <QString>
#include <QTimer>
#include <boost/asio/io_context.hpp>
#include <deque>
#include <functional>
#include <memory>

#include "net/UiQueue.h"
#include "qt_host/ScenePoints.h"

namespace qt_host {

struct TileKey {
    int z = 0, x = 0, y = 0;
    QString Text() const { return QString("%1/%2/%3").arg(z).arg(x).arg(y); }
};

struct TileSettings {
    QString urlTemplate;  // "https://tile.example.org/{z}/{x}/{y}.png"
    QString attribution;  // shown on the map, as the tile server asks
    QString cacheFolder;
    QString userAgent = "Sirenwatch";
    int maxRunning = 2;
    int pace_ms = 250;  // one request started per interval at most
};

// The tiles that cover a geographic box at zoom z, west to east, north to south.
std::vector<TileKey> TilesCovering(double west, double south, double east, double north, int z);
// The zoom whose tiles show about one tile pixel per screen pixel.
int TileZoomFor(const MapProjection& p);

class TileLayer final : public QObject {
    Q_OBJECT
public:
    // Tiles are fetched on the network loop and arrive through `ui`; both outlive the layer's
    // requests (the program's loop and queue).
    TileLayer(TileSettings settings, boost::asio::io_context& io, net::UiQueue& ui,
              QObject* parent = nullptr);
    ~TileLayer() override;

    // Draws the tiles in view that are at hand and asks for the missing ones.
    void Paint(QPainter& painter, const MapProjection& p, const QRectF& view);
    const QString& Attribution() const { return settings_.attribution; }

    // Told when a tile arrived and the map should be drawn again.
    std::function<void()> onTileArrived;
    int RequestsSent() const { return requestsSent_; }
    // Nothing asked for or on its way since the last paint.
    bool Idle() const { return wanted_.empty() && running_.isEmpty(); }

private:
    const QImage* Find(const TileKey& key);
    void StartNext();
    void Arrived(const TileKey& key, const QByteArray& bytes, bool ok);
    QString CacheFile(const TileKey& key) const;

    TileSettings settings_;
    boost::asio::io_context& io_;
    net::UiQueue& ui_;
    // Answers that come after the layer is gone find this false and do nothing.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    QCache<QString, QImage> images_{400};
    QSet<QString> running_, failed_;
    std::deque<TileKey> wanted_;
    QTimer pace_;
    int requestsSent_ = 0;
};

}  // namespace qt_host
