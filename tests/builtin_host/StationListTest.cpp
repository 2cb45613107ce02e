// The station list: last data per callsign, objects, bounds. Units are checked through the
// host's station object in BuiltinHostTest.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "builtin_host/HostStation.h"
#include "builtin_host/StationList.h"

namespace builtin_host {
namespace {

using decode::Decoded;

constexpr HomePosition kHome{45.504167, 9.205667};

Decoded Position(std::string source, double lat, double lon) {
    Decoded d;
    d.source = std::move(source);
    d.latitude_deg = lat;
    d.longitude_deg = lon;
    d.tnc2 = d.source + ">APRS:!...";
    return d;
}

Decoded Status(std::string source, std::string text) {
    Decoded d;
    d.source = std::move(source);
    d.comment = std::move(text);
    d.isStatus = true;
    return d;
}

TEST(StationList, StationWithoutAUsablePositionGivesTheMissingMarkers) {
    StationList list(kHome);
    list.Update(Status("Q1ALFA", "QRV on 145.500"));
    list.Update(Position("Q2BRAVO", 91, 9));
    for (const char* callsign : {"Q1ALFA", "Q2BRAVO"}) {
        SCOPED_TRACE(callsign);
        const StationData* s = list.Find(callsign);
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(s->latitude_min, host::kMissing);
        EXPECT_EQ(s->longitude_min, host::kMissing);
        EXPECT_EQ(s->altitude_m, host::kMissing);
        EXPECT_EQ(s->distance_km, 0);
        EXPECT_EQ(s->messageType, "");
    }
    EXPECT_EQ(list.Find("Q1ALFA")->beaconText, "Q1ALFA>QRV on 145.500");
}

TEST(StationList, LaterFramesKeepWhatTheyDoNotCarry) {
    StationList list(kHome);
    Decoded first = Position("Q2MOB-9", 45.6, 9.3);
    first.altitude_m = 150;
    first.comment = "mobile";
    first.messageType = "EMERGENCY";
    list.Update(first);

    // A status changes the beacon text but not the position, altitude or emergency.
    list.Update(Status("Q2MOB-9", "battery low"));
    const StationData* s = list.Find("Q2MOB-9");
    EXPECT_EQ(s->beaconText, "Q2MOB-9>battery low");
    EXPECT_FLOAT_EQ(s->altitude_m, 150.0f);
    EXPECT_FLOAT_EQ(s->latitude_min, 2736.0f);
    EXPECT_EQ(s->messageType, "EMERGENCY");

    // Nor does a status placing the station by its locator end the emergency.
    Decoded located = Status("Q2MOB-9", "battery low");
    located.latitude_deg = 45.5;
    located.longitude_deg = 9.0;
    list.Update(located);
    EXPECT_EQ(s->messageType, "EMERGENCY");

    // A new position report without a message type ends the emergency; no comment keeps
    // the last beacon text.
    list.Update(Position("Q2MOB-9", 45.7, 9.3));
    EXPECT_EQ(s->messageType, "");
    EXPECT_EQ(s->beaconText, "Q2MOB-9>battery low");
    EXPECT_FLOAT_EQ(s->latitude_min, 2742.0f);
    Decoded commented = Position("Q2MOB-9", 45.7, 9.3);
    commented.comment = "moving again";  // one with a comment brings its own
    list.Update(commented);
    EXPECT_EQ(s->beaconText, "Q2MOB-9>moving again");
}

TEST(StationList, ObjectsLiveUnderTheirOwnNamesAndDieWhenKilled) {
    StationList list(kHome);
    Decoded object = Position("Q1ALFA", 45.45, 9.18);
    object.object = "FIELDDAY ";
    object.comment = "Field day site";
    list.Update(object);

    EXPECT_EQ(list.Find("Q1ALFA"), nullptr);
    const StationData* s = list.Find("FIELDDAY");
    ASSERT_NE(s, nullptr);
    EXPECT_TRUE(s->isObject);
    EXPECT_EQ(s->reportedBy, "Q1ALFA");
    EXPECT_EQ(s->beaconText, "FIELDDAY>Field day site");

    object.objectKilled = true;
    EXPECT_EQ(list.Update(object), nullptr);
    EXPECT_EQ(list.Find("FIELDDAY"), nullptr);
}

TEST(StationList, FramesWithAnErrorOrNoNameAreIgnored) {
    StationList list(kHome);
    Decoded bad = Position("Q1ALFA", 45, 9);
    bad.error = "bad position";
    EXPECT_EQ(list.Update(bad), nullptr);
    EXPECT_EQ(list.Update(Position("", 45, 9)), nullptr);
    EXPECT_EQ(list.Size(), 0u);
}

TEST(StationList, CapacityDropsTheStationHeardLongestAgo) {
    StationList list(kHome, 3);
    list.Update(Position("A", 45, 9));
    list.Update(Position("B", 45, 9));
    list.Update(Position("C", 45, 9));
    list.Update(Position("A", 45.1, 9));  // heard again: now the most recent
    list.Update(Position("D", 45, 9));

    EXPECT_EQ(list.Size(), 3u);
    EXPECT_EQ(list.Find("B"), nullptr);
    std::string order;
    list.ForEach([&](const StationData& s) { order += s.callsign; });
    EXPECT_EQ(order, "CAD");
}

TEST(StationList, AStationTakingAnotherOnesPlaceKeepsNothingOfIt) {
    StationList list(kHome, 1);
    Decoded full = Position("Q1ALFA", 45.6, 9.3);
    full.object = "FIELDDAY";
    full.altitude_m = 150;
    full.course_deg = 90;
    full.speed_kmh = 40;
    full.messageType = "EMERGENCY";
    list.Update(full);
    // Names longer than a short string's room, and back: the index follows each entry's name.
    for (const std::string name : {"Q2BRAVO-LONG-NAME-XYZ", "Q3C"}) {
        SCOPED_TRACE(name);
        list.Update(Status(name, "QRV"));
        const StationData* s = list.Find(name);
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(list.Size(), 1u);
        EXPECT_FALSE(s->isObject);
        EXPECT_EQ(s->reportedBy, "");
        EXPECT_EQ(s->messageType, "");
        EXPECT_EQ(s->beaconText, name + ">QRV");
        EXPECT_FALSE(s->latitude_deg.has_value());
        EXPECT_EQ(s->latitude_min, host::kMissing);
        EXPECT_EQ(s->altitude_m, host::kMissing);
        EXPECT_EQ(s->course_deg, 0);
        EXPECT_EQ(s->speed_kmh, 0);
        EXPECT_EQ(s->distance_km, 0);
    }
    EXPECT_EQ(list.Find("FIELDDAY"), nullptr);
    EXPECT_EQ(list.Find("Q2BRAVO-LONG-NAME-XYZ"), nullptr);
}

// Many names in a small list, heard, dropped and killed in a seeded order, against a plain
// list of names: every name is found exactly while it is listed, whatever collided with it.
TEST(StationList, FindsExactlyTheNamesItHoldsThroughAnyOrderOfChanges) {
    constexpr std::size_t kCapacity = 7;
    StationList list(kHome, kCapacity);
    std::vector<std::string> model;  // oldest first
    std::uint32_t seed = 13;
    const auto next = [&seed] { return (seed = seed * 1103515245u + 12345u) >> 16; };
    for (int step = 0; step < 3000; ++step) {
        const std::string name = "N" + std::to_string(next() % 40);
        Decoded frame = Position("Q1ALFA", 45, 9);
        frame.object = name;
        frame.objectKilled = next() % 5 == 0;
        list.Update(frame);
        std::erase(model, name);
        if (!frame.objectKilled) model.push_back(name);
        if (model.size() > kCapacity) model.erase(model.begin());

        std::vector<std::string> listed;
        list.ForEach([&](const StationData& s) { listed.push_back(s.callsign); });
        ASSERT_EQ(listed, model) << "step " << step;
        for (int n = 0; n < 40; ++n) {
            const std::string asked = "N" + std::to_string(n);
            const bool held = std::find(model.begin(), model.end(), asked) != model.end();
            const StationData* found = list.Find(asked);
            ASSERT_EQ(found != nullptr, held) << asked << " at step " << step;
            if (held) {
                ASSERT_EQ(found->callsign, asked);
            }
        }
    }
}

TEST(StationList, NewHomeMovesEveryDistance) {
    StationList list(kHome);
    list.Update(Position("Q1ALFA", 45.6, 9.3));
    const float before = list.Find("Q1ALFA")->distance_km;
    list.SetHome({45.6, 9.3});
    EXPECT_GT(before, 10.0f);
    EXPECT_FLOAT_EQ(list.Find("Q1ALFA")->distance_km, 0.0f);
}

TEST(HostStation, DistanceIsTheOneOfTheStationLastFilledWorkedOutWhenAsked) {
    StationList list(kHome);
    list.Update(Position("Q1ALFA", 45.6, 9.3));
    list.Update(Status("Q2BRAVO", "QRV on 145.500"));
    list.Update(Position("Q1ALFA", 45.7, 9.4));  // moved since it was last looked up
    HostStation station;
    station.Fill(list.Peek("Q1ALFA"), list.Home());
    EXPECT_FLOAT_EQ(station.GetDistance(), list.Find("Q1ALFA")->distance_km);
    EXPECT_GT(station.GetDistance(), 20.0f);
    EXPECT_EQ(list.Peek("Q1ALFA  "), list.Find("Q1ALFA")) << "the newest, padded";
    ASSERT_NE(list.Peek("Q2BRAVO "), nullptr) << "an older one, padded";
    station.Fill(list.Peek("Q2BRAVO"), list.Home());
    EXPECT_EQ(station.GetDistance(), host::kMissing) << "no position, no distance";
    station.Fill(list.Peek("Q1ALFA"), HomePosition{45.7, 9.4});
    EXPECT_FLOAT_EQ(station.GetDistance(), 0.0f) << "from the home it was given";
    station.Fill(nullptr, list.Home());
    EXPECT_EQ(station.GetDistance(), host::kMissing);
}

}  // namespace
}  // namespace builtin_host
