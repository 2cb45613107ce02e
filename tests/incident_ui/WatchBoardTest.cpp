// What the incident book is told of a decoded frame. The dashboard's view of the book, as the
// program wires it, is WatchEndToEndTest's; the operator rules are IncidentBookTest's.
#include <gtest/gtest.h>

#include <tuple>

#include "decode/AprsDecoder.h"
#include "fakes/FakePorts.h"
#include "incident_ui/WatchBoard.h"

namespace incident_ui {
namespace {

constexpr char kEmergency[] = R"(Q7MOB-9>453UU0,WIDE1-1,WIDE2-1:`~SZl I>/"5\}Car off the road)";

TEST(WatchBoard, ObservationsTellTheMicECodeFromTheCustomTypeAndTheComment) {
    fakes::SettableClock clock;
    builtin_host::BuiltinHost host{clock, {45.5, 9.2}};
    const std::string custom = decode::Decode(R"(Q7MOB-9>CE3UU0:`~SZl I>/"5\})").messageType;
    struct Case {
        std::string line, emergencyType;
        bool micE, customType, comment, other;
    };
    for (const Case& c : {
             Case{kEmergency, "EMERGENCY", true, false, false, false},
             Case{kEmergency, custom, true, false, false, false},
             Case{R"(Q7MOB-9>SU3UU0:`~SZl I>/"5\})", "EMERGENCY", false, false, false, true},
             Case{R"(Q7MOB-9>CE3UU0:`~SZl I>/"5\})", custom, false, true, false, false},
             Case{"Q9XSS>APRS:!4531.00N/00912.00E>!EMERGENCY! fell", "EMERGENCY", false, false,
                  true, false},
         }) {
        const auto o = ObservationOf(decode::Decode(c.line), 77, c.emergencyType, host);
        EXPECT_EQ(std::tie(o.micEEmergency, o.customType, o.commentText, o.micEOtherMessage),
                  std::tie(c.micE, c.customType, c.comment, c.other))
            << c.line << " as " << c.emergencyType;
    }
    const auto o =
        ObservationOf(decode::Decode("Q9XSS>APRS,WIDE1-1:!4531.00N/00912.00E>!EMERGENCY! fell"), 77,
                      "EMERGENCY", host);
    EXPECT_EQ(o.frameKey, "Q9XSS>APRS:!4531.00N/00912.00E>!EMERGENCY! fell") << "the path is not";
    EXPECT_EQ(o.time_s, 77);
    ASSERT_TRUE(o.distanceFromHome_km.has_value());
    EXPECT_NEAR(*o.distanceFromHome_km, 1.85, 0.05);
    const auto plain = ObservationOf(decode::Decode("Q8MOV>APRS:!4531.00N/00912.00E>on my way"), 77,
                                     "EMERGENCY", host);
    EXPECT_TRUE(plain.position.has_value());
    EXPECT_FALSE(plain.distanceFromHome_km.has_value()) << "no geodesy for an ordinary frame";
    EXPECT_TRUE(plain.frameKey.empty());
}

}  // namespace
}  // namespace incident_ui
