// The built-in host as the add-on meets it: frames announced, stations looked up, its map
// and its geodesy; each frame handed as one sighting to the evidence and the incident book.
#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <tuple>
#include <vector>

#include "builtin_host/BuiltinHost.h"
#include "builtin_host/Geodesy.h"
#include "builtin_host/HostMap.h"
#include "fakes/FakeHost.h"
#include "fakes/FakePorts.h"
#include "incidents/IncidentBook.h"

namespace builtin_host {
namespace {

constexpr HomePosition kHome{45.504167, 9.205667};
constexpr char kMicEEmergency[] = "N0CALL-9>423W1T,WIDE1-1:`c0ooZO>/]\"6)}EMERGENCY test";

// Plays the add-on's part: runs a script on every DataAvailable.
struct Listener final : host::ApplicationEvents {
    std::function<void()> onData;
    int closing = 0;
    void DataAvailable() override {
        if (onData) onData();
    }
    void UIView32IsClosing() override { ++closing; }
};

struct World {
    fakes::SettableClock clock;
    BuiltinHost host{clock, kHome};
    Listener listener;
    std::unique_ptr<host::Station> station = host.CreateStation();
    World() { host.Connect(&listener); }

    bool Look(const std::string& callsign) {
        bool found = false;
        station->SetCallsign(callsign);
        host.GetStation(*station, found);
        return found;
    }
};

// The station object carries the host's units: minutes of arc, km/h, metres, km from home;
// a callsign not heard must not inherit anything from the previous lookup.
TEST(BuiltinHost, StationObjectInTheHostsUnitsAndNothingLingers) {
    World w;
    w.host.OnTnc2Line(kMicEEmergency);
    ASSERT_TRUE(w.Look("N0CALL-9"));
    EXPECT_EQ(w.station->GetMessageType(), "EMERGENCY");
    EXPECT_EQ(w.station->GetBeaconText(), "N0CALL-9>EMERGENCY test");
    EXPECT_NEAR(w.station->GetLatitude(), 42.619 * 60, 0.1);
    EXPECT_NEAR(w.station->GetLongitude(), -71.347 * 60, 0.1);
    EXPECT_EQ(w.station->GetCourse(), 251);
    EXPECT_NEAR(w.station->GetSpeed(), 66.7, 0.1);
    EXPECT_NEAR(w.station->GetAltitude(), 200, 1);
    EXPECT_NEAR(w.station->GetDistance(), 6178.51, 0.01);  // km on the ellipsoid from home

    EXPECT_FALSE(w.Look("Q9NONE"));
    host::Station& s = *w.station;
    EXPECT_EQ(std::tuple(s.GetMessageType(), s.GetBeaconText(), s.GetCourse(), s.GetSpeed()),
              std::tuple("", "", 0, 0.0f));
    EXPECT_EQ(std::tuple(s.GetLatitude(), s.GetLongitude(), s.GetAltitude(), s.GetDistance()),
              std::tuple(host::kMissing, host::kMissing, host::kMissing, host::kMissing));
}

// Time passing and a frame arriving while the add-on shows a message box must not change
// the text of the frame it is still handling.
TEST(BuiltinHost, FrameTextStaysTheSameThroughOneEventEvenNested) {
    World w;
    std::vector<std::string> outer;
    bool nested = false;
    w.listener.onData = [&] {
        if (nested) return;
        outer.push_back(w.host.GetAprsData());
        w.clock.now.second += 5;
        nested = true;
        w.host.OnTnc2Line("Q2BRAVO>APRS:>second");
        nested = false;
        outer.push_back(w.host.GetAprsData());
    };
    w.host.OnTnc2Line("Q1ALFA>APRS:>first");
    ASSERT_EQ(outer.size(), 2u);
    EXPECT_EQ(outer[0], "12:00:01 Q1ALFA>APRS:>first");
    EXPECT_EQ(outer[1], outer[0]);
    EXPECT_EQ(w.host.Counters().announced, 2u);
}

TEST(BuiltinHost, ThirdPartyFrameIsAnnouncedAsItsInnerFrame) {
    World w;
    std::string text;
    w.listener.onData = [&] { text = w.host.GetAprsData(); };
    w.host.OnTnc2Line("Q5GATE>APRS,TCPIP*:}Q4HIKE-7>APRS,TCPIP,Q5GATE*:!4530.00N/00915.00E>hiking");
    EXPECT_EQ(text.substr(0, 20), "12:00:01 Q4HIKE-7>AP");
    EXPECT_TRUE(w.Look("Q4HIKE-7"));
    EXPECT_EQ(w.station->GetBeaconText(), "Q4HIKE-7>hiking");
}

TEST(BuiltinHost, MalformedAndBlankLinesAreNotAnnounced) {
    World w;
    int events = 0;
    w.listener.onData = [&] { ++events; };
    for (const char* line : {"no header here", "Q1ALFA>APRS:!4530.ZZN/00915.00E>", "", " \r\n",
                             "Q1ALFA>APRS:>fine\r\n"}) {
        w.host.OnTnc2Line(line);
    }
    EXPECT_EQ(events, 1);
    EXPECT_EQ(w.host.Counters().frames, 3u);
    EXPECT_EQ(w.host.Counters().malformed, 2u);
    EXPECT_EQ(w.host.GetAprsData(), "12:00:01 Q1ALFA>APRS:>fine");
}

TEST(BuiltinHost, AHandlerThatThrowsIsContained) {
    World w;
    w.listener.onData = [] { throw host::HostError("add-on failed"); };
    EXPECT_NO_THROW(w.host.OnTnc2Line("Q1ALFA>APRS:>x"));
    EXPECT_EQ(w.host.Counters().listenerFailures, 1u);
    EXPECT_EQ(w.host.LastListenerError(), "add-on failed");
    EXPECT_TRUE(w.Look("Q1ALFA"));  // the station was still recorded
}

// The evidence is noted before the add-on hears of the frame, and told after.
TEST(BuiltinHost, NotesTheEvidenceOfAnEmergencyBeforeAnnouncingItAndTellsIt) {
    World w;
    w.host.SetEpochClock([] { return std::int64_t{1234}; });
    bool sawEvidence = false;
    w.listener.onData = [&] { sawEvidence = w.host.Emergencies().Find("N0CALL-9") != nullptr; };
    int told = 0;
    w.host.SetEvidenceListener([&](const EvidenceBook::Noted& n) { told += n.emergency ? 1 : 0; });
    w.host.OnTnc2Line(kMicEEmergency);
    w.host.OnTnc2Line("IK2DEF>APRS:!4500.00N/00900.00E-just a station");
    EXPECT_TRUE(sawEvidence);
    EXPECT_EQ(told, 1);
    EXPECT_EQ(w.host.Emergencies().Find("N0CALL-9")->firstHeard_s, 1234);
}

// The host reads a frame's marks against the type the add-on counts, once, and both books take
// copies by one window: the same packet within it is a copy to the station's evidence and to
// its incident; at its end it is a packet of its own to the evidence, a late copy to the
// incident.
TEST(BuiltinHost, HandsOneSightingToBothBooksWhichKnowCopiesByOneWindow) {
    World w;
    std::int64_t now_s = 1000;
    w.host.SetEpochClock([&now_s] { return now_s; });
    incidents::IncidentBook book;
    std::vector<incidents::IncidentBook::Arrival> arrivals;
    w.host.SetSightingListener(
        [&](const sighting::Sighting& frame) { arrivals.push_back(book.Observe(frame).arrival); });
    const std::string info = ":`c0ooZO>/]\"6)}EMERGENCY test";
    w.host.OnTnc2Line("N0CALL-9>423W1T,WIDE1-1" + info);
    now_s += sighting::kCopyWindow_s - 1;
    w.host.OnTnc2Line("N0CALL-9>423W1T,TCPIP*,qAR,IG" + info);
    EXPECT_EQ(w.host.Emergencies().Find("N0CALL-9")->heard, 2u);
    now_s += 1;
    w.host.OnTnc2Line("N0CALL-9>423W1T,WIDE1-1" + info);
    using A = incidents::IncidentBook::Arrival;
    EXPECT_EQ(arrivals, (std::vector{A::Fresh, A::Copy, A::Late}));
    EXPECT_EQ(w.host.Emergencies().Find("N0CALL-9")->count, 2u);
    EXPECT_EQ(book.Latest("N0CALL-9")->copies, 2u);

    // With another type set, the Mic-E code still opens an incident, but the add-on and so
    // the station program's evidence count only that type.
    w.host.SetEmergencyType("custom-3");
    w.host.OnTnc2Line("Q1MICE>423W1T:`c0ooZO>/]\"6)}EMERGENCY");
    w.host.OnTnc2Line("Q2CUST>A23W1T:`c0ooZO>/]\"6)}help");
    EXPECT_EQ(w.host.Emergencies().Find("Q1MICE"), nullptr);
    EXPECT_NE(book.Latest("Q1MICE"), nullptr);
    ASSERT_NE(w.host.Emergencies().Find("Q2CUST"), nullptr);
    EXPECT_EQ(book.Latest("Q2CUST")->grade, incidents::EvidenceGrade::CustomType);
}

TEST(BuiltinHost, CloseTellsTheAddOn) {
    World w;
    w.host.Close();
    EXPECT_EQ(w.listener.closing, 1);
    w.host.Connect(nullptr);
    EXPECT_NO_THROW(w.host.Close());
    EXPECT_NO_THROW(w.host.OnTnc2Line("Q1ALFA>APRS:>nobody listens"));
}

TEST(BuiltinHost, DistanceAndBearingInKilometresAndDegrees) {
    World w;
    double distance = 0, bearing = 0;
    w.host.DistanceAndBearing(0, 1, 0, 0, distance, bearing, true);
    EXPECT_NEAR(distance, 111.319491, 1e-5);
    EXPECT_NEAR(bearing, 270, 1e-6);
    EXPECT_THROW(w.host.DistanceAndBearing(-1666.65, 0, 0, 0, distance, bearing, true),
                 host::HostError);
}

// A station object that this host did not create cannot be filled: a host error, not a crash.
TEST(BuiltinHost, ForeignStationObjectIsAHostError) {
    World w;
    fakes::FakeHost other;
    bool found = true;
    EXPECT_THROW(w.host.GetStation(other.station, found), host::HostError);
}

// Draws like the add-on's map handler: settings first, then one circle per station.
struct Drawer final : host::MapEvents {
    host::Map& map;
    int redrawn = 0;
    explicit Drawer(host::Map& m) : map(m) {}
    void MapRedrawn() override {
        ++redrawn;
        map.SetDrawWidth(3);
        map.SetFillStyle(7);
        map.SetFillColor(0xFFFFFF);
        map.DrawCircle(-552.34f, 2730.25f, map.GetScale() / 25, 255, 0, 6.283185958862305, 1);
        map.SetDrawWidth(5);
        map.DrawCircle(-550.0f, 2731.0f, map.GetScale() / 25, 0xFF00, 0, 6.283185958862305, 1);
    }
};

TEST(HostMap, RedrawClearsDrawsAgainAndTellsTheViewOnce) {
    HostMap map;
    map.DrawCircle(1, 2, 3, 4, 0, 6.28, 1);
    map.Redraw();  // nobody connected yet: just cleared
    EXPECT_TRUE(map.Circles().empty());

    Drawer drawer(map);
    map.Connect(&drawer);
    int viewUpdates = 0;
    map.SetChangeListener([&] { ++viewUpdates; });
    map.Redraw();
    map.Redraw();

    EXPECT_EQ(drawer.redrawn, 2);
    EXPECT_EQ(viewUpdates, 2);
    ASSERT_EQ(map.Circles().size(), 2u);  // the first redraw's circles are gone
    const Circle& c = map.Circles()[0];
    EXPECT_EQ(
        std::tie(c.x, c.y, c.radius, c.color, c.endAngle, c.drawWidth, c.fillStyle, c.fillColor),
        std::make_tuple(-552.34f, 2730.25f, 2.0f, 255, 6.283185958862305, 3, 7, 0xFFFFFF));
    EXPECT_EQ(map.Circles()[1].drawWidth, 5);  // settings in force when each was drawn
}

TEST(HostMap, RedrawAskedFromInsideARedrawDoesNotRecurse) {
    struct Again final : host::MapEvents {
        HostMap map;
        int calls = 0;
        void MapRedrawn() override {
            ++calls;
            map.Redraw();
        }
    } again;
    again.map.Connect(&again);
    again.map.Redraw();
    EXPECT_EQ(again.calls, 1);
}

// An add-on that draws without ever redrawing cannot make the map grow without end.
TEST(HostMap, HoldsAHundredThousandCirclesAndRefusesMore) {
    HostMap map;
    for (int i = 0; i < 100000; ++i) map.DrawCircle(1, 2, 3, 4, 0, 6.28, 1);
    EXPECT_THROW(map.DrawCircle(1, 2, 3, 4, 0, 6.28, 1), host::HostError);
    EXPECT_EQ(map.Circles().size(), 100000u);
}

TEST(HostMap, ScaleMustBePositive) {
    HostMap map;
    EXPECT_FLOAT_EQ(map.GetScale(), 50);
    EXPECT_TRUE(map.SetScale(100));
    EXPECT_FALSE(map.SetScale(0));
    EXPECT_FALSE(map.SetScale(-5));
    EXPECT_FLOAT_EQ(map.GetScale(), 100);
}

TEST(Geodesy, ValidPointRejectsWhatCannotBeAPosition) {
    EXPECT_TRUE(ValidPoint(90, 180));
    EXPECT_TRUE(ValidPoint(-90, -180));
    EXPECT_FALSE(ValidPoint(90.0001, 0));
    EXPECT_FALSE(ValidPoint(-99999.0 / 60, 0));
    EXPECT_FALSE(ValidPoint(std::numeric_limits<double>::quiet_NaN(), 0));
    EXPECT_FALSE(ValidPoint(0, std::numeric_limits<double>::infinity()));
}

}  // namespace
}  // namespace builtin_host
