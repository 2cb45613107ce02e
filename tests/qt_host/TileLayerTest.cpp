// The online tile layer against a tile server of the test's own on loopback: tiles in view are
// fetched politely (named program, two at a time), drawn where they belong, kept on disk and
// not fetched again; templates that are not web addresses leave the layer off.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include "builtin_host/HostMap.h"
#include "builtin_host/StationList.h"
#include "net/IoThread.h"
#include "net/UiQueue.h"
#include "qt/UiQueueOnQt.h"
#include "qt_host/MapView.h"
#include "qt_host/TileLayer.h"

namespace {

// Answers every GET with a red tile, once the test lets it: requests wait in `held`.
class TileServer {
public:
    TileServer() {
        EXPECT_TRUE(server_.listen(QHostAddress::LocalHost));
        QImage tile(256, 256, QImage::Format_RGB32);
        tile.fill(Qt::red);
        QBuffer buffer(&png_);
        buffer.open(QIODevice::WriteOnly);
        tile.save(&buffer, "PNG");
        QObject::connect(&server_, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* peer = server_.nextPendingConnection()) {
                QObject::connect(peer, &QTcpSocket::readyRead, [this, peer] { Read(peer); });
            }
        });
    }
    QString Template() const {
        return QString("http://127.0.0.1:%1/{z}/{x}/{y}.png").arg(server_.serverPort());
    }
    void ReleaseAll() {
        for (QTcpSocket* peer : std::exchange(held, {})) {
            peer->write("HTTP/1.1 200 OK\r\nContent-Type: image/png\r\nContent-Length: " +
                        QByteArray::number(png_.size()) + "\r\nConnection: close\r\n\r\n" + png_);
            peer->disconnectFromHost();
        }
    }
    std::vector<QTcpSocket*> held;
    QStringList paths, userAgents;

private:
    void Read(QTcpSocket* peer) {
        QByteArray& request = requests_[peer];
        request += peer->readAll();
        if (!request.contains("\r\n\r\n")) return;
        paths << QString::fromLatin1(request.split(' ').value(1));
        for (const QByteArray& line : request.split('\n'))
            if (line.toLower().startsWith("user-agent:")) userAgents << line.mid(11).trimmed();
        held.push_back(peer);
    }
    QTcpServer server_;
    QByteArray png_;
    std::map<QTcpSocket*, QByteArray> requests_;
};

// The program's network loop and its queue into this thread, drained on the Qt loop.
struct Network {
    QObject context;
    net::UiQueue ui;
    net::IoThread loop;
    Network() {
        qt::DrainOnQtLoop(ui, &context);
        loop.Start();
    }
};

struct TiledMap {
    Network network;
    builtin_host::HostMap map;
    builtin_host::StationList stations{{45.5, 9.2}};
    qt_host::MapView view{map, stations};
    std::unique_ptr<qt_host::TileLayer> tiles;

    TiledMap(const QString& urlTemplate, const QString& cache)
        : tiles(new qt_host::TileLayer(
              {urlTemplate, "Tiles: test server", cache, "Sirenwatch/test", 2, 5},
              network.loop.Context(), network.ui)) {
        view.SetTileLayer(tiles.get());
        view.resize(400, 300);
        view.SetSpanKm(20);
        view.show();
    }
    // True when tiles cover the whole view: its corners and a point away from the home
    // station's square at the centre are the tiles' red.
    bool AllTilesDrawn() {
        const QImage image = view.grab().toImage();
        for (const QPoint at :
             {QPoint(0, 0), QPoint(399, 0), QPoint(0, 299), QPoint(399, 250), QPoint(120, 90)})
            if (image.pixelColor(at) != QColor(Qt::red)) return false;
        return true;
    }
};

TEST(TileLayer, FetchesPolitelyDrawsAndThenServesFromItsCache) {
    QTemporaryDir cache;
    TileServer server;
    {
        TiledMap map(server.Template(), cache.path());
        map.view.grab();  // the first paint asks for the tiles in view
        // The server answers only after many pace intervals, so a layer that did not keep to
        // two requests at once would have more waiting by then.
        int mostAtOnce = 0;
        const bool allAsked = QTest::qWaitFor(
            [&] {
                QTest::qWait(40);
                mostAtOnce = std::max(mostAtOnce, int(server.held.size()));
                server.ReleaseAll();
                return map.AllTilesDrawn() && map.tiles->Idle();
            },
            10000);
        ASSERT_TRUE(allAsked) << server.paths.join(' ').toStdString() << " sent "
                              << map.tiles->RequestsSent();
        EXPECT_LE(mostAtOnce, 2);
        EXPECT_LE(server.paths.size(), 12) << "only what is in view";
        EXPECT_EQ(server.userAgents.value(0), "Sirenwatch/test");
    }
    TiledMap again(server.Template(), cache.path());
    EXPECT_TRUE(again.AllTilesDrawn()) << "from the disk cache at once";
    QTest::qWait(50);
    EXPECT_EQ(again.tiles->RequestsSent(), 0);
}

TEST(TileLayer, TilesCoverTheViewAtAZoomNearOnePixelPerPixel) {
    // Zoom 1 splits the world in four: the box around Milan is in the north-east tile.
    const auto tiles = qt_host::TilesCovering(9.0, 45.0, 9.5, 45.6, 1);
    ASSERT_EQ(tiles.size(), 1u);
    EXPECT_EQ(tiles[0].Text(), "1/1/0");
    // Zoom 2: columns 90 degrees wide meet at 90 W, rows meet at the equator.
    EXPECT_EQ(qt_host::TilesCovering(-100, -10, -80, 10, 2).size(), 4u);
    qt_host::MapProjection p;
    p.pixelsPerKm = 256.0 / (360 * p.KmPerDegreeLon());  // the whole world in one tile width
    EXPECT_EQ(qt_host::TileZoomFor(p), 0);
    p.pixelsPerKm *= 1024;
    EXPECT_EQ(qt_host::TileZoomFor(p), 10);
}

}  // namespace
