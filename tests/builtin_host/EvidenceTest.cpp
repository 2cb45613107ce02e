// The evidence kept for stations in emergency: what made it an emergency, how often and when,
// and the track of the station afterwards.
#include <gtest/gtest.h>

#include "builtin_host/Evidence.h"
#include "decode/AprsDecoder.h"

namespace builtin_host {
namespace {

using decode::Decode;
using decode::Decoded;

// Mic-E, message bits 000, at 42°37.14'N 71°20.83'W.
const char kMicEEmergency[] = "N0CALL-9>423W1T,WIDE1-1:`c0ooZO>/]\"6)}EMERGENCY test";
const char kCommentEmergency[] =
    "IW2ABC>APRS,IR2XX*,WIDE2-1,qAR,IGATE-1:!4530.00N/00915.00E-!EMERGENCY! fell";
const char kLaterPosition[] = "IW2ABC>APRS,TCPIP*,qAC,T2TEST:!4531.00N/00915.00E-on the move";
const char kOrdinary[] = "IK2DEF>APRS:!4500.00N/00900.00E-just a station";

// A frame as the host hands it to the book, its marks read against the type set.
EvidenceBook::Noted Note(EvidenceBook& book, const Decoded& frame, std::int64_t time_s,
                         std::string_view emergencyType = "EMERGENCY") {
    return book.Note(sighting::Sight(frame, time_s, emergencyType));
}

TEST(EvidenceBook, SaysWhatMadeEachFrameAnEmergency) {
    EvidenceBook book;
    Note(book, Decode(kMicEEmergency), 100);
    Note(book, Decode(kCommentEmergency), 100);
    Note(book, Decode(kOrdinary), 100);
    ASSERT_NE(book.Find("N0CALL-9"), nullptr);
    EXPECT_EQ(book.Find("N0CALL-9")->cause, "Mic-E message bits 000 (Emergency)");
    ASSERT_NE(book.Find("IW2ABC"), nullptr);
    EXPECT_EQ(book.Find("IW2ABC")->cause, "\"!EMERGENCY!\" at the start of the comment");
    EXPECT_TRUE(book.Find("IW2ABC")->path.viaInternet);
    EXPECT_EQ(book.Find("IK2DEF"), nullptr) << "a station never in emergency is not kept";

    EvidenceBook custom;
    Note(custom, Decode(kMicEEmergency), 100, "CUSTOM-3");
    EXPECT_EQ(custom.Find("N0CALL-9"), nullptr) << "only the type set counts";
    // "A" first in the destination: custom message bits 100, "CUSTOM-3".
    EXPECT_TRUE(
        Note(custom, Decode("N0CALL-8>A23W1T:`c0ooZO>/]\"6)}help"), 100, "CUSTOM-3").emergency);
    ASSERT_NE(custom.Find("N0CALL-8"), nullptr);
    EXPECT_EQ(custom.Find("N0CALL-8")->cause,
              "message type CUSTOM-3, the type set to count as an emergency");
}

TEST(EvidenceBook, CountsFirstAndLastHeardAndFollowsTheTrackAfterwards) {
    EvidenceBook book;
    auto noted = Note(book, Decode(kCommentEmergency), 100);
    ASSERT_TRUE(noted.emergency);
    ASSERT_TRUE(noted.newPoint);
    Note(book, Decode(kCommentEmergency), 160);  // the same place: no new point
    noted = Note(book, Decode(kLaterPosition), 220);
    EXPECT_FALSE(noted.emergency);
    EXPECT_TRUE(noted.newPoint) << "a station once in emergency is followed";

    const StationEvidence& e = *book.Find("IW2ABC");
    EXPECT_EQ(e.count, 2u);
    EXPECT_EQ(e.firstHeard_s, 100);
    EXPECT_EQ(e.lastHeard_s, 160);
    EXPECT_EQ(e.frame, kCommentEmergency) << "the evidence is the emergency frame, not later ones";
    ASSERT_EQ(e.track.size(), 2u);
    EXPECT_EQ(e.track[1].time_s, 220);
    EXPECT_NEAR(e.track[1].latitude_deg, 45 + 31.0 / 60, 1e-9);
}

TEST(EvidenceBook, TracksStayBounded) {
    EvidenceBook book;
    Note(book, Decode(kCommentEmergency), 0);
    Decoded moving = Decode(kLaterPosition);
    const std::string payload = moving.parts.payload;
    for (std::size_t i = 0; i < EvidenceBook::kMaxTrackPoints + 10; ++i) {
        moving.latitude_deg = 45 + static_cast<double>(i) * 1e-5;
        moving.parts.payload = payload + std::to_string(i);  // not a copy of the one before
        Note(book, moving, static_cast<std::int64_t>(i));
    }
    EXPECT_LE(book.Find("IW2ABC")->track.size(), EvidenceBook::kMaxTrackPoints);
    EXPECT_EQ(book.Find("IW2ABC")->track.back().time_s,
              static_cast<std::int64_t>(EvidenceBook::kMaxTrackPoints + 9));
    EXPECT_LE(book.Find("IW2ABC")->recent.size(), EvidenceBook::kMaxRecent);
}

// One packet heard directly, through two digipeaters and through an iGate is one packet;
// a flood of copies keeps nothing growing. (The window's end: BuiltinHostTest.)
TEST(EvidenceBook, CopiesWithinTheWindowAreOnePacketHeardMoreOften) {
    EvidenceBook book;
    const std::string info = ":`c0ooZO>/]\"6)}EMERGENCY test";
    EXPECT_FALSE(Note(book, Decode("N0CALL-9>423W1T,WIDE1-1" + info), 100).copy);
    EXPECT_TRUE(Note(book, Decode("N0CALL-9>423W1T,IR2XX*,WIDE1" + info), 101).copy);
    EXPECT_TRUE(Note(book, Decode("N0CALL-9>423W1T,IR2XX,IR2YY*" + info), 102).copy);
    for (int i = 0; i < 10000; ++i) {
        const auto noted = Note(
            book, Decode("N0CALL-9>423W1T,TCPIP*,qAR,IG" + std::to_string(i % 20) + info), 129);
        ASSERT_TRUE(noted.copy && noted.emergency && !noted.newPoint);
    }
    const StationEvidence& e = *book.Find("N0CALL-9");
    EXPECT_EQ(e.count, 1u);
    EXPECT_EQ(e.heard, 10003u);
    ASSERT_EQ(e.heardVia.size(), EvidenceBook::kMaxHeardVia);
    EXPECT_EQ(std::vector(e.heardVia.begin(), e.heardVia.begin() + 4),
              (std::vector<std::string>{"N0CALL-9", "IR2XX", "IR2YY", "IG0"}));
    EXPECT_TRUE(e.lastWasCopy);
    EXPECT_EQ(e.path.digipeaters, std::vector<std::string>{"WIDE1-1"}) << "the first one's";
    EXPECT_EQ(e.track.size(), 1u);
    EXPECT_EQ(e.recent.size(), 1u);

    // Another packet of the station is not a copy.
    EXPECT_FALSE(Note(book, Decode("N0CALL-9>423W1T:`c0ooZO>/]\"6)}EMERGENCY later"), 110).copy);
    EXPECT_EQ(book.Find("N0CALL-9")->heard, 1u);
    EXPECT_FALSE(book.Find("N0CALL-9")->lastWasCopy);
}

}  // namespace
}  // namespace builtin_host
