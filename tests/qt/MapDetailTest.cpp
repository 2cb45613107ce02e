// The map window's detail of a station: its data with the distance and bearing from home in
// the user's unit, and for one in emergency the evidence, as plain text whatever the air sent.
#include <gtest/gtest.h>

#include "builtin_host/Evidence.h"
#include "builtin_host/HostMap.h"
#include "builtin_host/StationList.h"
#include "decode/AprsDecoder.h"
#include "qt_host/MapView.h"

namespace {

TEST(MapDetail, AStationInEmergencyTellsWhyAndHowItCame) {
    // At the home station itself, so it is drawn at the centre of the view.
    const auto frame = decode::Decode(
        "IW2ABC>APRS,IR2XX*,WIDE2-1,qAR,IGATE-1:!4530.00N/00912.00E-!EMERGENCY! <b>fell</b>");
    builtin_host::StationList stations({45.5, 9.2});
    stations.Update(frame);
    builtin_host::EvidenceBook evidence;
    evidence.Note(frame, 1'800'000'000);
    builtin_host::HostMap map;
    qt_host::MapView view(map, stations);
    view.resize(400, 300);
    view.SetEvidence(&evidence);

    const QString detail = view.DetailAt(QPointF(200, 150));
    EXPECT_TRUE(detail.startsWith("IW2ABC\n")) << detail.toStdString();
    for (const char* part : {"IN EMERGENCY: \"!EMERGENCY!\" at the start of the comment",
                             "<b>fell</b>", "Path: IR2XX*,WIDE2-1", "Heard directly from: IR2XX",
                             "Came by: Internet (gateway IGATE-1)", "Heard 1 times"}) {
        EXPECT_TRUE(detail.contains(part)) << part << "\n" << detail.toStdString();
    }
    EXPECT_TRUE(view.DetailAt(QPointF(200, 165)).isEmpty()) << "too far from any station";
}

TEST(MapDetail, DistanceAndBearingFromHomeInTheUsersUnit) {
    builtin_host::StationList stations({45.5, 9.2});
    // 20.4 km north and 15.6 km west of home.
    stations.Update(decode::Decode("Q7MOB-9>APRS:!4541.00N/00900.00E-"));
    builtin_host::HostMap map;
    qt_host::MapView view(map, stations);
    view.resize(400, 300);
    bool miles = false;
    view.inMiles = [&] { return miles; };
    const QPointF at = view.ScreenPoint(45.683333, 9.0);
    EXPECT_TRUE(view.DetailAt(at).contains("\n45.68333, 9.00000  (25.6 km, 323°)\n"))
        << view.DetailAt(at).toStdString();
    miles = true;
    EXPECT_TRUE(view.DetailAt(at).contains("  (15.9 mi, 323°)")) << view.DetailAt(at).toStdString();
}

}  // namespace
