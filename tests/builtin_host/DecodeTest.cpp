// APRS decoder vectors: the protocol reference's own examples, hand-built Mic-E frames,
// packets of our own compressed encoder, malformed frames, and the decode command's JSON.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "aprs/Aprs.h"
#include "builtin_host/AprsDecoder.h"
#include "builtin_host/DecodedJson.h"
#include "builtin_host/TestNames.h"

namespace builtin_host {
namespace {

struct Expected {
    std::optional<double> lat = {}, lon = {};
    std::optional<int> course = {};
    std::optional<double> speed_kmh = {}, altitude_m = {};
    const char* messageType = "";
    const char* comment = "";
    const char* object = "";
};

struct Vector {
    const char* line;
    Expected want = {};
};

void ExpectNear(const std::optional<double>& actual, const std::optional<double>& expected,
                double tolerance, const char* what) {
    ASSERT_EQ(actual.has_value(), expected.has_value()) << what;
    if (expected) {
        EXPECT_NEAR(*actual, *expected, tolerance) << what;
    }
}

// Readable test names: the frame, not the struct's bytes.
void PrintTo(const Vector& v, std::ostream* os) {
    PrintSafe(v.line, os);
}

class ReferenceExamples : public ::testing::TestWithParam<Vector> {};

TEST_P(ReferenceExamples, Decode) {
    SCOPED_TRACE(GetParam().line);
    const Decoded d = Decode(GetParam().line);
    const Expected& v = GetParam().want;
    EXPECT_EQ(d.error, "");
    ExpectNear(d.latitude_deg, v.lat, 0.00001, "latitude");
    ExpectNear(d.longitude_deg, v.lon, 0.00001, "longitude");
    EXPECT_EQ(d.course_deg, v.course);
    ExpectNear(d.speed_kmh, v.speed_kmh, 0.05, "speed");
    ExpectNear(d.altitude_m, v.altitude_m, 0.5, "altitude");
    EXPECT_EQ(d.messageType, v.messageType);
    EXPECT_EQ(d.comment, v.comment);
    EXPECT_EQ(d.object, v.object);
}

constexpr double kLat = 49.0 + 3.5 / 60, kLon = -(72.0 + 1.75 / 60);
constexpr double kKn36 = 36 * 1.852, kCompKn = 36.2324 * 1.852;

INSTANTIATE_TEST_SUITE_P(
    Uncompressed, ReferenceExamples,
    ::testing::Values(
        Vector{"N0CALL>APRS:!4903.50N/07201.75W-Test 001234",
               {.lat = kLat, .lon = kLon, .comment = "Test 001234"}},
        Vector{
            "N0CALL>APRS:!4903.50N/07201.75W-Test /A=001234",
            {.lat = kLat, .lon = kLon, .altitude_m = 1234 * 0.3048, .comment = "Test /A=001234"}},
        Vector{"N0CALL>APRS:=4903.50S/07201.75E-", {-kLat, -kLon}},
        Vector{"N0CALL>APRS:/092345z4903.50N/07201.75W>Test1234",
               {.lat = kLat, .lon = kLon, .comment = "Test1234"}},
        Vector{"N0CALL>APRS:@092345/4903.50N/07201.75W>088/036", {kLat, kLon, 88, kKn36}},
        Vector{"N0CALL>APRS:!4903.50N/07201.75W>.../...moving",
               {.lat = kLat, .lon = kLon, .comment = "moving"}},
        // Weather station: the pair after the symbol is wind, not the station's motion.
        Vector{"N0CALL>APRS:!4903.50N/07201.75W_220/004g005t077",
               {.lat = kLat, .lon = kLon, .comment = "220/004g005t077"}},
        Vector{"N0CALL>APRS:!4903.50N/07201.75W-/A=-00100",
               {.lat = kLat, .lon = kLon, .altitude_m = -100 * 0.3048, .comment = "/A=-00100"}},
        // The first well-formed altitude counts, wherever it stands.
        Vector{"N0CALL>APRS:!4903.50N/07201.75W-/A=12 m, /A=001234",
               {.lat = kLat,
                .lon = kLon,
                .altitude_m = 1234 * 0.3048,
                .comment = "/A=12 m, /A=001234"}}));

// Ambiguity blanks digits from the right; we place the station in the middle of the box.
INSTANTIATE_TEST_SUITE_P(
    Ambiguity, ReferenceExamples,
    ::testing::Values(Vector{"N0CALL>APRS:!4903.5 N/07201.75W-", {49 + 3.55 / 60, kLon}},
                      Vector{"N0CALL>APRS:!4903.  N/07201.  W-", {49 + 3.5 / 60, -(72 + 1.5 / 60)}},
                      Vector{"N0CALL>APRS:!490 .  N/0720 .  W-", {49 + 5.0 / 60, -(72 + 5.0 / 60)}},
                      Vector{"N0CALL>APRS:!49  .  N/072  .  W-", {49.5, -72.5}},
                      // A box at the edge of the globe: its middle is taken at the edge.
                      Vector{"N0CALL>APRS:!90  .  N/07201.75W-", {90.0, -72.5}},
                      Vector{"N0CALL>APRS:!49  .  S/180  .  W-", {-49.5, -180.0}}));

// The reference's examples; packets of our own encoder are checked further down.
INSTANTIATE_TEST_SUITE_P(
    Compressed, ReferenceExamples,
    ::testing::Values(Vector{"N0CALL>APRS:=/5L!!<*e7> sTComment",
                             {.lat = 49.5, .lon = -72.75, .comment = "Comment"}},
                      Vector{"N0CALL>APRS:!/5L!!<*e7>7P[", {49.5, -72.75, 88, kCompKn}},
                      Vector{"N0CALL>APRS:!/5L!!<*e7OS]S",
                             {.lat = 49.5, .lon = -72.75, .altitude_m = 10004 * 0.3048}},
                      Vector{"N0CALL>APRS:!/!!!!!!!!>  B", {90.0, -180.0}},
                      Vector{"N0CALL>APRS:@092345z/5L!!<*e7>7P[moving",
                             {49.5, -72.75, 88, kCompKn, {}, "", "moving"}}));

INSTANTIATE_TEST_SUITE_P(
    ObjectsItemsStatus, ReferenceExamples,
    ::testing::Values(
        Vector{"AB1CD>APRS:;LEADER   *092345z4903.50N/07201.75W>088/036",
               {.lat = kLat, .lon = kLon, .course = 88, .speed_kmh = kKn36, .object = "LEADER"}},
        Vector{"AB1CD>APRS:;CAR      *111111z/5L!!<*e7>7P[",
               {.lat = 49.5, .lon = -72.75, .course = 88, .speed_kmh = kCompKn, .object = "CAR"}},
        Vector{"AB1CD>APRS:)AID #2!4903.50N/07201.75WA",
               {.lat = kLat, .lon = kLon, .object = "AID #2"}},
        Vector{"AB1CD>APRS:>Net Control Center", {.comment = "Net Control Center"}},
        Vector{"AB1CD>APRS:>092345zNet Control Center", {.comment = "Net Control Center"}},
        Vector{"AB1CD>APRS:>!EMERGENCY! car fire",
               {.messageType = "EMERGENCY", .comment = "!EMERGENCY! car fire"}},
        Vector{"AB1CD>APRS:!4903.50N/07201.75W-!EMERGENCY!",
               {.lat = kLat, .lon = kLon, .messageType = "EMERGENCY", .comment = "!EMERGENCY!"}},
        // The code counts only at the start of the text.
        Vector{"AB1CD>APRS:>help !EMERGENCY!", {.comment = "help !EMERGENCY!"}},
        // A status opening with a Maidenhead locator: the middle of the square; the text
        // starts after the locator, its symbol and one blank.
        Vector{
            "AB1CD>APRS:>PM05lj/- Net Control",
            {.lat = 35 + 9.5 * 2.5 / 60, .lon = 120 + 11.5 * 5.0 / 60, .comment = "Net Control"}},
        Vector{"AB1CD>APRS:>IO91SX/G", {51 + 23.5 * 2.5 / 60, -2 + 18.5 * 5.0 / 60}},
        Vector{"AB1CD>APRS:>JN45 !EMERGENCY! car fire",
               {.lat = 45.5,
                .lon = 9.0,
                .messageType = "EMERGENCY",
                .comment = "!EMERGENCY! car fire"}},
        // Text that only looks like one: no blank after the symbol, a field letter past "R".
        Vector{"AB1CD>APRS:>IO91SX/Gone", {.comment = "IO91SX/Gone"}},
        Vector{"AB1CD>APRS:>SR12 test", {.comment = "SR12 test"}},
        Vector{"AB1CD>APRS::N0CALL   :hello{1"}, Vector{"AB1CD>APRS:T#005,199,000,255,073"}));

// The destination "423W1T" carries 42 deg 37.14 min N, west, no longitude offset and the
// message bits 0,0,0 (the full example is checked as the decode command's JSON).
constexpr double kMicELat = 42 + 37.14 / 60, kMicELon = -(71 + 20.83 / 60);

INSTANTIATE_TEST_SUITE_P(
    MicE, ReferenceExamples,
    ::testing::Values(
        // South and east; longitudes of 5 deg (offset +100, 190..199 wrap) and 100 deg
        // (180..189 wrap, minutes 60 meaning 0).
        Vector{"N0CALL>423714:`c0ooZO>/", {-kMicELat, -kMicELon, 251, kKn36, {}, "EMERGENCY"}},
        Vector{"N0CALL>423WQT:`{0ooZO>/",
               {kMicELat, -(5 + 20.83 / 60), 251, kKn36, {}, "EMERGENCY"}},
        Vector{"N0CALL>423WQT:`lXooZO>/",
               {kMicELat, -(100 + 0.83 / 60), 251, kKn36, {}, "EMERGENCY"}},
        // Speed 0 and course 0 (unknown); a status with altitude but no radio type byte.
        Vector{"N0CALL>423W1T:'c0ol \x1c>/!!!}", {kMicELat, kMicELon, 0, 0.0, -10000, "EMERGENCY"}},
        // Radio signatures around the comment are not part of it.
        Vector{"N0CALL>423W1T:`c0ooZO>/`hello_%",
               {kMicELat, kMicELon, 251, kKn36, {}, "EMERGENCY", "hello"}},
        Vector{"N0CALL>423W1T:`c0ooZO>/>\"6)}on air=",
               {kMicELat, kMicELon, 251, kKn36, 200, "EMERGENCY", "on air"}},
        // The "!EMERGENCY!" code does not override Mic-E message bits saying "off duty".
        Vector{"N0CALL>TRSW1T:`c0ooZO>/!EMERGENCY!",
               {kMicELat, kMicELon, 251, kKn36, {}, "OFF DUTY", "!EMERGENCY!"}},
        // The ends of the longitude byte ranges: 110 deg 9 min (offset), 99 deg 10 min.
        Vector{"N0CALL>423WQT:`&aooZO>/",
               {kMicELat, -(110 + 9.83 / 60), 251, kKn36, {}, "EMERGENCY"}},
        Vector{"N0CALL>423W1T:`\x7f&ooZO>/",
               {kMicELat, -(99 + 10.83 / 60), 251, kKn36, {}, "EMERGENCY"}},
        // Mic-E ambiguity: two latitude digits blank, the same two of the longitude ignored.
        Vector{"N0CALL>423WLZ:`c0ooZO>/",
               {42 + 37.5 / 60, -(71 + 20.5 / 60), 251, kKn36, {}, "EMERGENCY"}}));

TEST(Decode, MicEDestinationBitsGiveTheMessageType) {
    const std::pair<const char*, const char*> cases[] = {
        {"TRSW1T", "OFF DUTY"},  {"TR3W1T", "EN ROUTE"},  {"T2SW1T", "IN SERVICE"},
        {"T23W1T", "RETURNING"}, {"4RSW1T", "COMMITTED"}, {"4R3W1T", "SPECIAL"},
        {"42SW1T", "PRIORITY"},  {"423W1T", "EMERGENCY"}, {"ECDW1T", "CUSTOM-0"},
        {"EC3W1T", "CUSTOM-1"},  {"E2DW1T", "CUSTOM-2"},  {"E23W1T", "CUSTOM-3"},
        {"4CDW1T", "CUSTOM-4"},  {"4C3W1T", "CUSTOM-5"},  {"42DW1T", "CUSTOM-6"},
        {"TC3W1T", "UNKNOWN"},   {"4RDW1T", "UNKNOWN"},   {"TRDW1T-3", "UNKNOWN"},
    };
    for (const auto& [destination, messageType] : cases) {
        const Decoded d = Decode(std::string("N0CALL-9>") + destination + ":`c0ooZO>/");
        EXPECT_EQ(d.error, "") << destination;
        EXPECT_EQ(d.messageType, messageType) << destination;
        EXPECT_NEAR(d.latitude_deg.value_or(0), kMicELat, 0.00001);
    }
}

TEST(Decode, ThirdPartyFrameIsDecodedAsItsInnerFrame) {
    const Decoded d =
        Decode("IGATE>APRS,WIDE2-1:}N0CALL-9>423W1T,TCPIP,IGATE*:`c0ooZO>/]\"6)}EMERGENCY");
    EXPECT_EQ(d.error, "");
    EXPECT_EQ(d.source, "N0CALL-9");
    EXPECT_EQ(d.tnc2, "N0CALL-9>423W1T,TCPIP,IGATE*:`c0ooZO>/]\"6)}EMERGENCY");
    EXPECT_EQ(d.messageType, "EMERGENCY");
    EXPECT_NEAR(d.latitude_deg.value_or(0), kMicELat, 0.00001);
}

TEST(Decode, PlainFrameKeepsItsTextAndSource) {
    const Decoded d = Decode("N0CALL-9>APRS,WIDE1-1*:>hi\r\n");
    EXPECT_EQ(d.source, "N0CALL-9");
    EXPECT_EQ(d.tnc2, "N0CALL-9>APRS,WIDE1-1*:>hi");
    EXPECT_TRUE(d.isStatus);
}

TEST(Decode, ObjectKillAndCompressedRange) {
    const Decoded kill = Decode("AB1CD>APRS:;LEADER   _092345z4903.50N/07201.75W>");
    EXPECT_EQ(kill.object, "LEADER");
    EXPECT_TRUE(kill.objectKilled);
    EXPECT_EQ(kill.source, "AB1CD");

    const Decoded range = Decode("N0CALL>APRS:=/5L!!<*e7>{?!");  // 20.1253 miles
    EXPECT_NEAR(range.range_km.value_or(0), 20.1253 * 1.609344, 0.01);
    EXPECT_FALSE(range.course_deg.has_value());
}

// Malformed frames: an error, no half-read data, and above all no crash.
class Malformed : public ::testing::TestWithParam<const char*> {};

TEST_P(Malformed, SetsErrorAndKeepsNoPosition) {
    const Decoded d = Decode(GetParam());
    EXPECT_NE(d.error, "") << GetParam();
    EXPECT_FALSE(d.latitude_deg.has_value());
    EXPECT_EQ(d.messageType, "");
}

INSTANTIATE_TEST_SUITE_P(
    Frames, Malformed,
    ::testing::Values("", "no header here", ">APRS:!", "N0CALL>:x", "N0CALL>APRS:",
                      "N0CALL>APRS:!4903.50N/072", "N0CALL>APRS:!4963.50N/07201.75W-",
                      "N0CALL>APRS:!9103.50N/07201.75W-", "N0CALL>APRS:!4903.50N/18101.75W-",
                      "N0CALL>APRS:!4903.50X/07201.75W-", "N0CALL>APRS:!/5L!!<*e",
                      "N0CALL>APRS:!/5L!~<*e7>7P[", "N0CALL>APRS:/0923454903.50N/07201.75W>",
                      "N0CALL>APRS:;LEADER*0923", "N0CALL>APRS:)AB!4903.50N/07201.75W-",
                      "N0CALL>423W1T:`c0o", "N0CALL>423W1:`c0ooZO>/", "N0CALL>423A1T:`c0ooZO>/",
                      "N0CALL>423W1T:`\x01"
                      "0ooZO>/",
                      "N0CALL>423W1T:`c0o\x01ZO>/", "N0CALL>APRS:}garbage",
                      // Mic-E longitude bytes outside the encoding: minutes byte below 38 or
                      // above 97; degrees byte below 38 or above 127, with or without the +100
                      // flag.
                      "N0CALL>T2SP0W:`c\x1eooZO>/", "N0CALL>423W1T:`cbooZO>/",
                      "N0CALL>423W1T:`%0ooZO>/", "N0CALL>423WQT:`%0ooZO>/",
                      "N0CALL>423W1T:`\x80"
                      "0ooZO>/",
                      "A>B:}A>B:}A>B:}A>B:}A>B:}A>B:!4903.50N/07201.75W-"));

// Compressed reports of our own encoder decode to what went in, within the format's resolution
// (about 0.3 m of position, 4 degrees of course, 8 % of speed or range).
struct Report {
    double lat, lon;
    const char *dir, *vel, *range, *alt;
};

// The encoder gives the body without symbols: table in front, code after the longitude.
std::string Frame(const Report& r) {
    const std::string body = aprs::Aprs{}.Comp_Pos_Rep(std::to_string(r.lat), std::to_string(r.lon),
                                                       r.dir, r.vel, r.range, r.alt);
    return "N0CALL>APRS:!/" + body.substr(0, 8) + ">" + body.substr(8);
}

TEST(Decode, CompressedEncoderRoundTrip) {
    const Report reports[] = {
        {45.504167, 9.205667, "", "", "", ""}, {-33.8688, 151.2093, "", "", "", ""},
        {42.619, -71.347167, "", "", "", ""},  {0.0, 0.0, "", "", "", ""},
        {-89.99, 179.99, "", "", "", ""},      {45.5, 9.2, "90", "0", "", ""},
        {45.5, 9.2, "251", "36", "", ""},      {45.5, 9.2, "356", "120", "", ""},
        {45.5, 9.2, "", "", "20", ""},         {45.5, 9.2, "", "", "", "1000"},
        {45.5, 9.2, "", "", "", "29000"},
    };
    for (const Report& r : reports) {
        const std::string line = Frame(r);
        const Decoded d = Decode(line);
        ASSERT_EQ(d.error, "") << line;
        EXPECT_NEAR(d.latitude_deg.value_or(999), r.lat, 1e-5) << line;
        EXPECT_NEAR(d.longitude_deg.value_or(999), r.lon, 1e-5) << line;
        if (*r.dir) {
            EXPECT_NEAR(d.course_deg.value_or(-99), std::atof(r.dir), 4.0) << line;
            const double knots = std::atof(r.vel);
            EXPECT_NEAR(d.speed_kmh.value_or(-99), knots * 1.852, knots * 1.852 * 0.08 + 0.15)
                << line;
        } else {
            EXPECT_FALSE(d.course_deg.has_value()) << line;
        }
        if (*r.range) {
            const double km = std::atof(r.range) * 1.609344;
            EXPECT_NEAR(d.range_km.value_or(-99), km, km * 0.08) << line;
        }
        if (*r.alt) {
            const double metres = std::atof(r.alt) * 0.3048;
            EXPECT_NEAR(d.altitude_m.value_or(-99), metres, metres * 0.002 + 0.01) << line;
        } else {
            EXPECT_FALSE(d.altitude_m.has_value()) << line;
        }
    }
}

TEST(DecodeJson, TheMicEEmergencyExample) {
    EXPECT_EQ(ToJson(Decode("N0CALL-9>423W1T,WIDE1-1:`c0ooZO>/]\"6)}EMERGENCY test")),
              "{\"source\":\"N0CALL-9\",\"latitude\":42.619000,\"longitude\":-71.347167,"
              "\"course\":251,\"speed_kmh\":66.7,\"altitude_m\":200.0,"
              "\"message_type\":\"EMERGENCY\",\"comment\":\"EMERGENCY test\",\"object\":\"\","
              "\"error\":\"\"}");
}

TEST(DecodeJson, OneOutputLinePerInputLineEmptyLinesIncluded) {
    std::istringstream in("N0CALL>APRS:>one\r\n\n\r\nN0CALL>APRS:>four");
    std::ostringstream out;
    DecodeLines(in, out);
    std::istringstream result(out.str());
    std::vector<std::string> lines;
    for (std::string line; std::getline(result, line);) lines.push_back(line);
    ASSERT_EQ(lines.size(), 4u) << out.str();
    EXPECT_NE(lines[0].find("\"comment\":\"one\""), std::string::npos);
    EXPECT_NE(lines[1].find("\"error\":\"bad frame header\""), std::string::npos);
    EXPECT_NE(lines[2].find("\"error\":\"bad frame header\""), std::string::npos);
    EXPECT_NE(lines[3].find("\"comment\":\"four\""), std::string::npos);
}

TEST(DecodeJson, MissingValuesAreNull) {
    const std::string json = ToJson(Decode("garbage"));
    EXPECT_NE(json.find("\"latitude\":null,\"longitude\":null,\"course\":null"), std::string::npos);
    EXPECT_NE(json.find("\"error\":\"bad frame header\""), std::string::npos);
}

TEST(DecodeJson, StringsAreEscapedAndAlwaysValidUtf8) {
    EXPECT_EQ(JsonString("a\"b\\c\n\t\x01\x7F"), "\"a\\\"b\\\\c\\n\\t\\u0001\\u007f\"");
    EXPECT_EQ(JsonString("caff\xC3\xA8 \xE2\x82\xAC"), "\"caff\xC3\xA8 \xE2\x82\xAC\"");
    EXPECT_EQ(JsonString("\xE8t\xC3"), "\"\xEF\xBF\xBDt\xEF\xBF\xBD\"");
    EXPECT_EQ(JsonString("\xED\xA0\x80"), "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\"");  // surrogate
}

}  // namespace
}  // namespace builtin_host
