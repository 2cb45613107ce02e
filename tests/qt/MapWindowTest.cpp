// The host's map window over its base map: land and sea where they are, panning and zooming
// around the pointer with the add-on's circles following the scale, emergencies outside the
// view brought to the operator's eyes, and a screenshot of the demo traffic for people to
// look at.
#include <QTest>
#include <QWheelEvent>
#include <fstream>

#include "basemap/BaseMap.h"
#include "builtin_host/Evidence.h"
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

    // The demo capture through the host, as the program would receive it, with the map shown
    // at the host's first scale: it widens to take in the emergency farthest out.
    void ReplayTheDemo() {
        StartAndShow();
        map = std::make_unique<qt_host::MapView>(host->MapState(), host->Stations());
        map->SetHomeCallsign("N0CALL");
        map->SetEvidence(&host->Emergencies());
        map->SetBaseMap(ShippedBaseMap());
        map->resize(800, 600);
        map->show();
        const double span = map->SpanKm();
        host->SetFrameListener([this] { map->StationsChanged(); });
        std::ifstream demo(std::string(SIRENWATCH_SOURCE_DIR) + "/data/demo.tnc2");
        for (const auto& line : decode::ReadReplay(demo)) host->OnTnc2Line(line.tnc2);
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return map->SpanKm() > span && map->EdgeMarkers().empty(); }, 5000));
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
    // station moves away from it, and the add-on's circles get the new scale (how much each
    // step changes the scale is MapView's test in PortsTest).
    const QPointF pointer = map->ScreenPoint(45.6, 9.4);
    const double homeDistance = QLineF(pointer, map->ScreenPoint(45.504167, 9.205667)).length();
    Wheel(pointer, 240);
    const QPointF place = map->ScreenPoint(45.6, 9.4);
    EXPECT_NEAR(place.x(), pointer.x(), 0.5);
    EXPECT_NEAR(place.y(), pointer.y(), 0.5);
    EXPECT_NEAR(QLineF(pointer, map->ScreenPoint(45.504167, 9.205667)).length(),
                homeDistance * 1.25 * 1.25, 0.5);
    // The add-on drew its circles again, at a radius of the new scale / 25 minutes of arc.
    ASSERT_FALSE(host->MapState().Circles().empty());
    EXPECT_NEAR(host->MapState().Circles()[0].radius, host->MapState().GetScale() / 25, 1e-3);
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

// A view 20 km across around the home station, and a station heard in emergency 27 km north.
struct EmergencyAway {
    builtin_host::HostMap hostMap;
    builtin_host::StationList stations{{45.5, 9.2}};
    builtin_host::EvidenceBook evidence;
    qt_host::MapView map{hostMap, stations};
    static constexpr double kLat = 45.75, kLon = 9.2;

    EmergencyAway() {
        map.SetEvidence(&evidence);
        map.resize(400, 300);
        map.SetSpanKm(10);
        map.show();
    }
    void HearIt() {
        const auto frame = decode::Decode("Q7MOB-9>APRS:!4545.00N/00912.00E-!EMERGENCY!");
        stations.Update(frame);
        evidence.Note(frame, 1'800'000'000);
        map.StationsChanged();
    }
    bool InView() const { return map.rect().contains(map.ScreenPoint(kLat, kLon).toPoint()); }
};

TEST(MapEmergencies, OneOutsideTheViewWidensItOnArrival) {
    EmergencyAway w;
    w.HearIt();
    EXPECT_FALSE(w.InView());
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.InView(); }, 5000));
    EXPECT_TRUE(w.map.EdgeMarkers().empty());
    EXPECT_FLOAT_EQ(w.hostMap.GetScale(), static_cast<float>(2 * w.map.SpanKm()))
        << "the add-on's circles follow the wider view";
}

TEST(MapEmergencies, AfterTheUserMovedTheMapAnEdgeMarkerPointsToIt) {
    EmergencyAway w;
    QTest::mousePress(&w.map, Qt::LeftButton, {}, QPoint(200, 150));
    QTest::mouseMove(&w.map, QPoint(210, 160));
    QTest::mouseRelease(&w.map, Qt::LeftButton, {}, QPoint(210, 160));
    const double span = w.map.SpanKm();
    w.HearIt();
    w.map.ShowNewEmergencies();
    EXPECT_EQ(w.map.SpanKm(), span);
    EXPECT_FALSE(w.InView());
    const auto markers = w.map.EdgeMarkers();
    ASSERT_EQ(markers.size(), 1u);
    EXPECT_EQ(markers[0].text, "Q7MOB-9 27.7 km");
    EXPECT_TRUE(w.map.rect().contains(markers[0].at.toPoint()));
    EXPECT_LT(markers[0].at.y(), 20) << "on the top edge, towards the north";
    EXPECT_EQ(w.map.grab().toImage().pixelColor(markers[0].at.toPoint()), QColor(220, 30, 30))
        << "drawn in red";
}

}  // namespace
}  // namespace qttest
