// The watch list: which emergencies sound, and reading its settings.
#include <gtest/gtest.h>

#include "incidents/WatchList.h"

namespace incidents {
namespace {

Sighting At(std::string call, std::optional<double> km, std::optional<GeoPoint> where = {}) {
    Sighting o;
    o.callsign = std::move(call);
    o.micEEmergency = true;
    o.distanceFromHome_km = km;
    o.position = where;
    return o;
}

TEST(WatchList, DecidesWhatSoundsAndSaysWhyTheRestIsHeldBack) {
    WatchList ignoreAndRadius;
    ignoreAndRadius.ignore = {{"IR2TST", "test beacon"}, {"IA0XYZ-7", ""}, {"TEST*", "tests"}};
    ignoreAndRadius.alarmRadius_km = 50;
    WatchList area;  // a triangle across 180 degrees, east of Fiji
    area.alarmArea = {{-15, 175}, {-15, -175}, {-25, 180}};
    WatchList both = area;
    both.alarmRadius_km = 50;
    const struct {
        const WatchList& list;
        Sighting observation;
        const char* heldBack;  // empty: it sounds
    } cases[] = {
        {ignoreAndRadius, At("ir2tst", 1), "ignored (test beacon)"},
        {ignoreAndRadius, At("IR2TST-0", 1), "ignored (test beacon)"},
        {ignoreAndRadius, At("IR2TST-5", 1), ""},  // another station of the same operator
        {ignoreAndRadius, At("ia0xyz-7", 1), "ignored (on the ignore list)"},
        {ignoreAndRadius, At("TEST-12", 1), "ignored (tests)"},
        {ignoreAndRadius, At("ATEST", 1), ""},
        {ignoreAndRadius, At("IZ2ABC", 50), ""},
        {ignoreAndRadius, At("IZ2ABC", 50.09),  // cut to tenths, as the panel shows it
         "outside the alarm area (50 km from home, beyond 50 km)"},
        {ignoreAndRadius, At("IZ2ABC", std::nullopt), ""},  // unknown: it sounds
        {area, At("IZ2ABC", 9000, GeoPoint{-17, 179}), ""},
        {area, At("IZ2ABC", 9000, GeoPoint{-17, -178}), ""},
        {area, At("IZ2ABC", 9000, GeoPoint{-17, 170}), "outside the alarm area"},
        {area, At("IZ2ABC", 9000, GeoPoint{-10, 179}), "outside the alarm area"},
        {area, At("IZ2ABC", 9000, GeoPoint{-17, 0}), "outside the alarm area"},
        {both, At("IZ2ABC", 10, GeoPoint{45, 9}), ""},  // inside the circle is enough
        {both, At("IZ2ABC", 80, GeoPoint{45, 9}),
         "outside the alarm area (80 km from home, beyond 50 km)"},
        {both, At("IZ2ABC", std::nullopt, GeoPoint{45, 9}), ""},  // the circle cannot tell
    };
    for (const auto& c : cases) {
        const Decision d = Decide(c.list, c.observation);
        EXPECT_EQ(d.heldBackReason, c.heldBack) << c.observation.callsign;
        EXPECT_EQ(d.sound, *c.heldBack == '\0') << c.observation.callsign;
    }
}

TEST(WatchList, ReadsTheSettingsAndLeavesOutWhatItCannotRead) {
    auto parsed = ParseWatchList(" IR2TST : test beacon ; I0XYZ-7;;TEST*:tests:night ", "12.5",
                                 "45.1,9.0; 45.2,9.3 ;45.0,9.2");
    std::vector<std::pair<std::string, std::string>> ignore;
    for (const auto& entry : parsed.list.ignore) ignore.emplace_back(entry.pattern, entry.reason);
    EXPECT_EQ(ignore, (decltype(ignore){
                          {"IR2TST", "test beacon"}, {"I0XYZ-7", ""}, {"TEST*", "tests:night"}}));
    EXPECT_EQ(parsed.list.alarmRadius_km, 12.5);
    ASSERT_EQ(parsed.list.alarmArea.size(), 3u);
    EXPECT_EQ(parsed.list.alarmArea[1].longitude_deg, 9.3);
    EXPECT_TRUE(parsed.problems.empty());

    const struct {
        const char *ignore, *radius, *area, *problem;
    } bad[] = {
        {"IR2 TST:x", "", "", "Ignore: \"IR2 TST:x\" is not a callsign; the entry is left out"},
        {"A*B", "", "", "Ignore: \"A*B\" is not a callsign; the entry is left out"},
        {"", "12,5", "",
         "AlarmRadiusKm: \"12,5\" is not a distance in kilometres; no distance limit is used"},
        {"", "0", "",
         "AlarmRadiusKm: \"0\" is not a distance in kilometres; no distance limit is used"},
        {"", "50km", "",
         "AlarmRadiusKm: \"50km\" is not a distance in kilometres; no distance limit is used"},
        {"", "", "45,9;46,9",
         "AlarmArea: \"45,9;46,9\" has fewer than three points; no area limit is used"},
        {"", "", "45,9;46,9;91,9",
         "AlarmArea: \"91,9\" is not latitude,longitude in degrees; no area limit is used"},
        {"", "", "45,9;46,9;45,181",
         "AlarmArea: \"45,181\" is not latitude,longitude in degrees; no area limit is used"},
        {"", "", "45,9;46;45,10",
         "AlarmArea: \"46\" is not latitude,longitude in degrees; no area limit is used"},
    };
    for (const auto& b : bad) {
        parsed = ParseWatchList(b.ignore, b.radius, b.area);
        ASSERT_EQ(parsed.problems.size(), 1u) << b.problem;
        EXPECT_EQ(parsed.problems[0], b.problem);
        EXPECT_TRUE(parsed.list.ignore.empty() && !parsed.list.alarmRadius_km &&
                    parsed.list.alarmArea.empty())
            << b.problem;
    }
}

}  // namespace
}  // namespace incidents
