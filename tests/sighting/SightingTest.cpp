// A frame as heard: which marks of an emergency it carries against the type the add-on counts,
// the way it travelled, the key its copies share, and the distance worked out only when asked.
#include <gtest/gtest.h>

#include <tuple>

#include "decode/AprsDecoder.h"
#include "sighting/Sighting.h"

namespace sighting {
namespace {

using decode::Decode;

TEST(ReadPath, DigipeatersWhoWasHeardDirectlyAndTheInternet) {
    struct Case {
        const char* path;
        std::vector<std::string> digipeaters;
        const char* heardFrom;
        bool internet;
        const char* gateway;
    };
    const Case cases[] = {
        {"", {}, "SRC", false, ""},
        {"WIDE1-1,WIDE2-2", {"WIDE1-1", "WIDE2-2"}, "SRC", false, ""},  // nobody repeated it
        {"IR2XX*,WIDE2-1", {"IR2XX*", "WIDE2-1"}, "IR2XX", false, ""},
        {"IR2XX,IR2YY*,WIDE2*", {"IR2XX", "IR2YY*", "WIDE2*"}, "WIDE2", false, ""},
        {"IR2XX*,qAR,IGATE-1", {"IR2XX*"}, "IR2XX", true, "IGATE-1"},
        {"TCPIP*,qAC,T2TEST", {}, "SRC", true, "T2TEST"},
        {"qAO,IGATE", {}, "SRC", true, "IGATE"},
        {"WIDE1-1,qAR", {"WIDE1-1"}, "SRC", true, ""},  // a gateway name missing
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const PathInfo info = ReadPath("SRC", c.path);
        EXPECT_EQ(info.digipeaters, c.digipeaters);
        EXPECT_EQ(info.heardFrom, c.heardFrom);
        EXPECT_EQ(info.viaInternet, c.internet);
        EXPECT_EQ(info.gateway, c.gateway);
    }
}

TEST(Sight, TellsTheMicECodeFromTheCustomTypeAndTheComment) {
    const char emergency[] = R"(Q7MOB-9>453UU0,WIDE1-1,WIDE2-1:`~SZl I>/"5\}Car off the road)";
    const std::string custom = Decode(R"(Q7MOB-9>CE3UU0:`~SZl I>/"5\})").messageType;
    struct Case {
        std::string line, emergencyType;
        bool micE, customType, comment, other, addOn;
    };
    for (const Case& c : {
             Case{emergency, "EMERGENCY", true, false, false, false, true},
             // The Mic-E code stays a mark with another type set, but the add-on does not count it.
             Case{emergency, custom, true, false, false, false, false},
             Case{R"(Q7MOB-9>SU3UU0:`~SZl I>/"5\})", "EMERGENCY", false, false, false, true, false},
             Case{R"(Q7MOB-9>CE3UU0:`~SZl I>/"5\})", custom, false, true, false, false, true},
             Case{"Q9XSS>APRS:!4531.00N/00912.00E>!EMERGENCY! fell", "EMERGENCY", false, false,
                  true, false, true},
             Case{"Q9XSS>APRS:!4531.00N/00912.00E>!EMERGENCY! fell", custom, false, false, true,
                  false, false},
             Case{"Q8MOV>APRS:!4531.00N/00912.00E>on my way", "EMERGENCY", false, false, false,
                  false, false},
         }) {
        const decode::Decoded frame = Decode(c.line);
        const Sighting s = Sight(frame, 77, c.emergencyType);
        EXPECT_EQ(
            std::tie(s.micEEmergency, s.customType, s.commentText, s.micEOtherMessage, s.addOnType),
            std::tie(c.micE, c.customType, c.comment, c.other, c.addOn))
            << c.line << " as " << c.emergencyType;
    }
}

TEST(Sight, WorksOutTheCopyKeyAndTheDistanceOnlyWhenAskedAndOnce) {
    int measured = 0;
    const DistanceFromHome measure = [&measured](const GeoPoint& point) {
        ++measured;
        return std::optional<double>(point.latitude_deg);
    };
    const decode::Decoded frame =
        Decode("Q9XSS>APRS,WIDE1-1,qAR,IG:!4531.00N/00912.00E>!EMERGENCY! fell");
    const Sighting s = Sight(frame, 77, "EMERGENCY", &measure);
    EXPECT_EQ(s.time_s, 77);
    EXPECT_EQ(s.callsign, "Q9XSS");
    EXPECT_TRUE(s.frameKey.empty()) << "no key built before it is asked for";
    EXPECT_EQ(measured, 0) << "no geodesic before it is asked for";
    EXPECT_EQ(s.CopyKey(), "Q9XSS>APRS:!4531.00N/00912.00E>!EMERGENCY! fell") << "the path is not";
    ASSERT_TRUE(s.DistanceFromHome_km().has_value());
    EXPECT_NEAR(*s.DistanceFromHome_km(), 45.5167, 1e-3);
    EXPECT_EQ(measured, 1);
    EXPECT_EQ(s.Path().gateway, "IG");

    const decode::Decoded status = Decode("Q9XSS>APRS:>just a status");
    EXPECT_FALSE(Sight(status, 77, "EMERGENCY", &measure).DistanceFromHome_km().has_value());
    EXPECT_EQ(measured, 1) << "no position, nothing to measure";
}

}  // namespace
}  // namespace sighting
