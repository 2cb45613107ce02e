// The host's map window over its base map: land and sea where they are, panning and zooming
// around the pointer with the add-on's circles following the scale, and a screenshot of the
// demo traffic for people to look at.
#include <QTest>
#include <QWheelEvent>
#include <fstream>

#include "basemap/BaseMap.h"
#include "decode/AprsDecoder.h"
#include "decode/Replay.h"
#include "qt/QtWorld.h"
#include "qt_host/BaseMapLayer.h"
#include "qt_host/MapView.h"

namespace qttest {
namespace {

std::shared_ptr<const basemap::BaseMap> ShippedBaseMap() {
    static const auto map = std::make_shared<const basemap::BaseMap>(
        *basemap::LoadBaseMap(std::string(SIRENWATCH_SOURCE_DIR) + "/data/basemap.txt"));
    return map;
}

class MapWindow : public QtWorld {
protected:
    MapWindow() : QtWorld(2) {}

    // The demo capture through the host, as the program would receive it, with the map shown.
    void ReplayTheDemo() {
        StartAndShow();
        std::ifstream demo(std::string(SIRENWATCH_SOURCE_DIR) + "/data/demo.tnc2");
        for (const auto& line : decode::ReadReplay(demo)) host->OnTnc2Line(line.tnc2);
        map = std::make_unique<qt_host::MapView>(host->MapState(), host->Stations());
        map->SetHomeCallsign("N0CALL");
        map->SetEvidence(&host->Emergencies());
        map->SetBaseMap(ShippedBaseMap());
        map->resize(800, 600);
        map->SetSpanKm(70);
        map->show();
        QApplication::processEvents();
    }
    QColor PixelAt(double lat, double lon) {
        const QPointF at = map->ScreenPoint(lat, lon);
        return map->grab().toImage().pixelColor(at.toPoint());
    }
    void Wheel(QPointF at, int delta) {
        QWheelEvent wheel(at, map->mapToGlobal(at), {}, {0, delta}, Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(map.get(), &wheel);
    }

    std::unique_ptr<qt_host::MapView> map;
};

TEST_F(MapWindow, TheDemoOverLandAndSeaWithCallsigns) {
    ReplayTheDemo();
    SaveScreenshot(*map, "map-demo");
    map->SetSpanKm(400);
    EXPECT_EQ(PixelAt(44.2, 8.9), qt_host::kSeaColor) << "the Ligurian Sea off Genoa";
    EXPECT_EQ(PixelAt(45.0, 8.0), qt_host::kLandColor) << "Piedmont";
    SaveScreenshot(*map, "map-demo-wide");
}

TEST_F(MapWindow, DraggingPansAndTheWheelZoomsAroundThePointer) {
    ReplayTheDemo();
    const QPointF home = map->ScreenPoint(45.504167, 9.205667);
    QTest::mousePress(map.get(), Qt::LeftButton, {}, QPoint(400, 300));
    QTest::mouseMove(map.get(), QPoint(450, 320));
    QTest::mouseMove(map.get(), QPoint(500, 340));
    QTest::mouseRelease(map.get(), Qt::LeftButton, {}, QPoint(500, 340));
    const QPointF moved = map->ScreenPoint(45.504167, 9.205667) - home;
    EXPECT_NEAR(moved.x(), 100, 0.5);
    EXPECT_NEAR(moved.y(), 40, 0.5);

    // Two steps in with the pointer on a place: that place stays under the pointer, the home
    // station moves away from it, and the add-on's circles get the new scale.
    const float scale = host->MapState().GetScale();
    const QPointF pointer = map->ScreenPoint(45.6, 9.4);
    const double homeDistance = QLineF(pointer, map->ScreenPoint(45.504167, 9.205667)).length();
    Wheel(pointer, 240);
    const QPointF place = map->ScreenPoint(45.6, 9.4);
    EXPECT_NEAR(place.x(), pointer.x(), 0.5);
    EXPECT_NEAR(place.y(), pointer.y(), 0.5);
    EXPECT_NEAR(QLineF(pointer, map->ScreenPoint(45.504167, 9.205667)).length(),
                homeDistance * 1.25 * 1.25, 0.5);
    // The add-on drew its circles again, at a radius of the new scale / 25 minutes of arc.
    const float newScale = host->MapState().GetScale();
    EXPECT_NE(newScale, scale);
    ASSERT_FALSE(host->MapState().Circles().empty());
    EXPECT_NEAR(host->MapState().Circles()[0].radius, newScale / 25, 1e-3);
}

// Just east of 180°, the land just west of it (Vanua Levu, Fiji, at 179° E) is drawn
// beside the home station, not a whole turn of the world away.
TEST(BaseMapAcross180, LandOnTheOtherSideIsDrawnNextToHome) {
    builtin_host::HostMap hostMap;
    builtin_host::StationList stations({-16.5, -179.5});
    qt_host::MapView map(hostMap, stations);
    map.SetBaseMap(ShippedBaseMap());
    map.resize(400, 300);
    map.SetSpanKm(150);
    const QPoint vanuaLevu = map.ScreenPoint(-16.5, 179.0 - 360).toPoint();
    ASSERT_TRUE(map.rect().contains(vanuaLevu));
    EXPECT_EQ(map.grab().toImage().pixelColor(vanuaLevu), qt_host::kLandColor);

    // A station there is drawn, and found, on the same side.
    stations.Update(decode::Decode("FJ1ABC>APRS:!1630.00S/17900.00E-Vanua Levu"));
    EXPECT_TRUE(map.rect().contains(map.ScreenPoint(-16.5, 179.0).toPoint()));
    EXPECT_TRUE(map.DetailAt(QPointF(vanuaLevu)).startsWith("FJ1ABC"));
}

}  // namespace
}  // namespace qttest
