// The host's map window: the add-on's circles, panning and zooming around the pointer with
// the scale told in the user's unit, land and sea where they are, emergencies outside the view
// brought to the operator's eyes, and a station's detail.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QWheelEvent>

#include "basemap/BaseMap.h"
#include "builtin_host/Evidence.h"
#include "builtin_host/HostMap.h"
#include "builtin_host/StationList.h"
#include "decode/AprsDecoder.h"
#include "map_scene/BaseMapLines.h"
#include "qt_host/BaseMapLayer.h"
#include "qt_host/MapView.h"

namespace {

std::shared_ptr<const basemap::BaseMap> ShippedBaseMap() {
    static const auto map = std::make_shared<const basemap::BaseMap>(
        *basemap::LoadBaseMap(std::string(SIRENWATCH_SOURCE_DIR) + "/data/basemap.txt"));
    return map;
}

// A view 400 by 300 pixels over the host's map state, with no base map.
struct SmallMap {
    builtin_host::HostMap hostMap;
    const bool scaled;  // the host's scale, set before the view opens at it
    builtin_host::StationList stations;
    builtin_host::EvidenceBook evidence;
    qt_host::MapView map{hostMap, stations};

    explicit SmallMap(float scale = builtin_host::HostMap::kDefaultScale,
                      builtin_host::HomePosition home = {45.5, 9.2})
        : scaled(hostMap.SetScale(scale)), stations(home) {
        map.SetEvidence(&evidence);
        map.resize(400, 300);
        map.show();
    }
    void Hear(const char* tnc2, bool emergency = false) {
        const auto frame = decode::Decode(tnc2);
        stations.Update(frame);
        if (emergency) evidence.Note(sighting::Sight(frame, 1'800'000'000, "EMERGENCY"));
        map.StationsChanged();
    }
    bool InView(double lat, double lon) const {
        return map.rect().contains(map.ScreenPoint(lat, lon).toPoint());
    }
    void Drag(QPoint from, QPoint to) {
        QTest::mousePress(&map, Qt::LeftButton, {}, from);
        QTest::mouseMove(&map, (from + to) / 2);
        QTest::mouseMove(&map, to);
        QTest::mouseRelease(&map, Qt::LeftButton, {}, to);
    }
};

TEST(MapView, DrawsTheCirclesAndClosingItClosesTheHost) {
    SmallMap w;
    int closes = 0;
    w.map.onClose = [&] { ++closes; };
    w.hostMap.SetDrawWidth(3);
    w.hostMap.SetFillStyle(0);
    w.hostMap.SetFillColor(65280);
    w.hostMap.DrawCircle(9.2f * 60, 45.5f * 60, 2, 255, 0, 0, 1);
    // The circle sits on the home station: its fill is round the centre.
    EXPECT_EQ(w.map.grab().toImage().pixelColor(200 + 5, 150 + 5), QColor(0, 255, 0));
    w.map.close();
    EXPECT_EQ(closes, 1);
}

// On an empty map (no base map, nothing heard) nothing is drawn where the warning band goes.
TEST(MapView, TheWarningBandCoversNothingTheMapShows) {
    SmallMap w;
    const QImage image = w.map.grab().toImage();
    const QColor background = image.pixelColor(image.width() - 1, 0);
    int drawn = 0;
    for (int y = 0; y < 28; ++y)
        for (int x = 0; x < image.width(); ++x) drawn += image.pixelColor(x, y) != background;
    EXPECT_EQ(drawn, 0);
}

// The view opens as wide as the map's scale says; dragging pans; each wheel step changes the
// scale by a quarter, keeps the place under the pointer there and redraws the map, so the
// add-on draws its circles again at the new scale.
TEST(MapView, DraggingPansAndEachWheelStepZoomsAQuarterAroundThePointer) {
    SmallMap w(100);
    EXPECT_EQ(w.map.ScaleText(), "20 km    Scale 100 km");
    bool miles = true;
    w.map.inMiles = [&] { return miles; };
    EXPECT_EQ(w.map.ScaleText(), "20 mi    Scale 62.1 mi");

    const QPointF home = w.map.ScreenPoint(45.5, 9.2);
    w.Drag(QPoint(200, 150), QPoint(250, 170));
    const QPointF moved = w.map.ScreenPoint(45.5, 9.2) - home;
    EXPECT_NEAR(moved.x(), 50, 0.5);
    EXPECT_NEAR(moved.y(), 20, 0.5);

    const auto redraws = w.hostMap.RedrawCount();
    const QPointF pointer = w.map.ScreenPoint(45.6, 9.3);
    for (const auto& [delta, scale] : {std::pair{120, 80.f}, {-120, 100.f}, {-120, 125.f}}) {
        QWheelEvent wheel(pointer, w.map.mapToGlobal(pointer), {}, {0, delta}, Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&w.map, &wheel);
        EXPECT_FLOAT_EQ(w.hostMap.GetScale(), scale) << delta;
        EXPECT_LT(QLineF(w.map.ScreenPoint(45.6, 9.3), pointer).length(), 0.5) << delta;
    }
    EXPECT_EQ(w.hostMap.RedrawCount(), redraws + 3);
    w.map.SetSpanKm(4);  // below ten, two decimals tell one step from the next
    EXPECT_TRUE(w.map.ScaleText().endsWith("Scale 4.97 mi")) << w.map.ScaleText().toStdString();
}

// Land and sea where they are: the Ligurian Sea off Genoa and Piedmont. Just east of 180°,
// the land just west of it (Vanua Levu, Fiji, at 179° E) is drawn beside the home station,
// not a whole turn of the world away.
TEST(BaseMapAcross180, LandAndSeaWhereTheyAreAndAcross180NextToHome) {
    SmallMap milan(800);
    milan.map.SetBaseMap(ShippedBaseMap());
    const QImage image = milan.map.grab().toImage();
    EXPECT_EQ(image.pixelColor(milan.map.ScreenPoint(44.2, 8.9).toPoint()),
              qt_host::ToQt(map_scene::kSeaColor));
    EXPECT_EQ(image.pixelColor(milan.map.ScreenPoint(45.0, 8.0).toPoint()),
              qt_host::ToQt(map_scene::kLandColor));
    milan.map.SetSpanKm(milan.map.SpanKm() * 3);  // drawn again for the wider view
    const QImage wider = milan.map.grab().toImage();
    EXPECT_EQ(wider.pixelColor(milan.map.ScreenPoint(44.2, 8.9).toPoint()),
              qt_host::ToQt(map_scene::kSeaColor));
    EXPECT_EQ(wider.pixelColor(milan.map.ScreenPoint(45.0, 8.0).toPoint()),
              qt_host::ToQt(map_scene::kLandColor));

    SmallMap w(300, {-16.5, -179.5});
    w.map.SetBaseMap(ShippedBaseMap());
    const QPoint vanuaLevu = w.map.ScreenPoint(-16.5, 179.0 - 360).toPoint();
    EXPECT_EQ(w.map.grab().toImage().pixelColor(vanuaLevu), qt_host::ToQt(map_scene::kLandColor));

    // A station there is drawn, and found, on the same side.
    w.Hear("FJ1ABC>APRS:!1630.00S/17900.00E-Vanua Levu");
    EXPECT_TRUE(w.InView(-16.5, 179.0));
    EXPECT_TRUE(w.map.DetailAt(QPointF(vanuaLevu)).startsWith("FJ1ABC"));
}

// A view 20 km across around the home station, and a station heard in emergency 27 km north.
constexpr char kEmergencyNorth[] = "Q7MOB-9>APRS:!4545.00N/00912.00E-!EMERGENCY!";

TEST(MapEmergencies, OneOutsideTheViewWidensItOnArrival) {
    SmallMap w(20);
    w.Hear(kEmergencyNorth, true);
    EXPECT_FALSE(w.InView(45.75, 9.2));
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.InView(45.75, 9.2); }, 5000));
    EXPECT_TRUE(w.map.EdgeMarkers().empty());
    EXPECT_FLOAT_EQ(w.hostMap.GetScale(), static_cast<float>(2 * w.map.SpanKm()))
        << "the add-on's circles follow the wider view";
}

TEST(MapEmergencies, AfterTheUserMovedTheMapAnEdgeMarkerPointsToIt) {
    SmallMap w(20);
    w.Drag(QPoint(200, 150), QPoint(210, 160));
    const double span = w.map.SpanKm();
    w.Hear(kEmergencyNorth, true);
    w.map.ShowNewEmergencies();
    EXPECT_EQ(w.map.SpanKm(), span);
    EXPECT_FALSE(w.InView(45.75, 9.2));
    const auto markers = w.map.EdgeMarkers();
    ASSERT_EQ(markers.size(), 1u);
    EXPECT_EQ(markers[0].text, "Q7MOB-9 27.7 km");
    EXPECT_LT(markers[0].at.y(), 20) << "on the top edge, towards the north";
    EXPECT_EQ(w.map.grab().toImage().pixelColor(markers[0].at.toPoint()), QColor(220, 30, 30))
        << "drawn in red";
}

// The detail of a station: its data with the distance and bearing from home in the user's
// unit, and for one in emergency the evidence, as plain text whatever the air sent.
TEST(MapDetail, AStationInEmergencyTellsWhyAndHowItCame) {
    SmallMap w;  // the station is at home, so drawn at the centre of the view
    w.Hear("IW2ABC>APRS,IR2XX*,WIDE2-1,qAR,IGATE-1:!4530.00N/00912.00E-!EMERGENCY! <b>fell</b>",
           true);
    const QString detail = w.map.DetailAt(QPointF(200, 150));
    EXPECT_TRUE(detail.startsWith("IW2ABC\n")) << detail.toStdString();
    for (const char* part : {"IN EMERGENCY: \"!EMERGENCY!\" at the start of the comment",
                             "<b>fell</b>", "Path: IR2XX*,WIDE2-1", "Heard directly from: IR2XX",
                             "Came by: Internet (gateway IGATE-1)", "Heard 1 times"}) {
        EXPECT_TRUE(detail.contains(part)) << part << "\n" << detail.toStdString();
    }
    EXPECT_TRUE(w.map.DetailAt(QPointF(200, 165)).isEmpty()) << "too far from any station";
}

TEST(MapDetail, DistanceAndBearingFromHomeInTheUsersUnit) {
    SmallMap w;
    w.Hear("Q7MOB-9>APRS:!4541.00N/00900.00E-");  // 20.4 km north and 15.6 km west of home
    bool miles = false;
    w.map.inMiles = [&] { return miles; };
    const QPointF at = w.map.ScreenPoint(45.683333, 9.0);
    EXPECT_TRUE(w.map.DetailAt(at).contains("\n45.68333, 9.00000  (25.6 km, 323°)\n"))
        << w.map.DetailAt(at).toStdString();
    miles = true;
    EXPECT_TRUE(w.map.DetailAt(at).contains("  (15.9 mi, 323°)"));
}

}  // namespace
