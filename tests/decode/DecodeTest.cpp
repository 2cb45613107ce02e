// APRS decoder vectors: the protocol reference's own examples, hand-built Mic-E
// frames, malformed frames, and the decode command's JSON.
#include <gtest/gtest.h>

#include <cctype>
#include <iomanip>
#include <sstream>
#include <string>
#include <vector>

#include "decode/AprsDecoder.h"
#include "decode/DecodedJson.h"

namespace decode {
namespace {

// What a decode found, in one line: latitude and longitude, c course, s speed in km/h,
// a altitude in metres, r range in km, the message type, ;object (and whether it was
// killed), whether it is a status, and 'comment'. What is missing is left out; an error
// ends the line.
std::string Summary(const Decoded& d) {
    std::ostringstream s;
    s << std::fixed << std::setprecision(5);
    if (d.latitude_deg || d.longitude_deg)
        s << ' ' << d.latitude_deg.value_or(999) << ' ' << d.longitude_deg.value_or(999);
    if (d.course_deg) s << " c" << *d.course_deg;
    s << std::setprecision(1);
    if (d.speed_kmh) s << " s" << *d.speed_kmh;
    if (d.altitude_m) s << " a" << std::setprecision(0) << *d.altitude_m << std::setprecision(1);
    if (d.range_km) s << " r" << *d.range_km;
    if (!d.messageType.empty()) s << ' ' << d.messageType;
    if (!d.object.empty()) s << " ;" << d.object << (d.objectKilled ? " killed" : "");
    if (d.isStatus) s << " status";
    if (!d.comment.empty()) s << " '" << d.comment << '\'';
    if (!d.error.empty()) s << " error: " << d.error;
    return s.str().substr(s.str().empty() ? 0 : 1);
}

struct Vector {
    const char* line;
    const char* summary;
};

// Test names ctest can list, one per frame: letters, digits, "-" and "." as they are, the frame's
// separators as "_", any other byte in hex; a long frame by its two ends.
void PrintTo(const Vector& v, std::ostream* os) {
    const std::string_view line = v.line;
    const std::string name = line.size() <= 40 ? std::string(line)
                                               : std::string(line.substr(0, 20)) +
                                                     std::string(line.substr(line.size() - 20));
    for (const char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (std::isalnum(u) || c == '-' || c == '.')
            *os << c;
        else if (std::string_view(" >:,/").find(c) != std::string_view::npos)
            *os << '_';
        else
            *os << 'x' << "0123456789abcdef"[u >> 4] << "0123456789abcdef"[u & 15];
    }
}

class ReferenceExamples : public ::testing::TestWithParam<Vector> {};

TEST_P(ReferenceExamples, Decode) {
    EXPECT_EQ(Summary(Decode(GetParam().line)), GetParam().summary) << GetParam().line;
}

const Vector kVectors[] = {
    // Uncompressed positions.
    {"N0CALL>APRS:!4903.50N/07201.75W-Test 001234", "49.05833 -72.02917 'Test 001234'"},
    {"N0CALL>APRS:!4903.50N/07201.75W-Test /A=001234", "49.05833 -72.02917 a376 'Test /A=001234'"},
    {"N0CALL>APRS:=4903.50S/07201.75E-", "-49.05833 72.02917"},
    {"N0CALL>APRS:/092345z4903.50N/07201.75W>Test1234", "49.05833 -72.02917 'Test1234'"},
    {"N0CALL>APRS:@092345/4903.50N/07201.75W>088/036", "49.05833 -72.02917 c88 s66.7"},
    {"N0CALL>APRS:!4903.50N/07201.75W>.../...moving", "49.05833 -72.02917 'moving'"},
    {"N0CALL>APRS:!4903.50N/07201.75W_220/004g005t077", "49.05833 -72.02917 '220/004g005t077'"},
    {"N0CALL>APRS:!4903.50N/07201.75W-/A=-00100", "49.05833 -72.02917 a-30 '/A=-00100'"},
    {"N0CALL>APRS:!4903.50N/07201.75W-/A=12 m, /A=001234",
     "49.05833 -72.02917 a376 '/A=12 m, /A=001234'"},
    {"N0CALL>APRS:!4903.50N/07201.75W>361/036", "49.05833 -72.02917 s66.7"},

    // Ambiguity blanks digits from the right; we place the station in the middle of
    // the box, and a box at the edge of the globe at the edge.
    {"N0CALL>APRS:!4903.5 N/07201.75W-", "49.05917 -72.02917"},
    {"N0CALL>APRS:!4903.  N/07201.  W-", "49.05833 -72.02500"},
    {"N0CALL>APRS:!490 .  N/0720 .  W-", "49.08333 -72.08333"},
    {"N0CALL>APRS:!49  .  N/072  .  W-", "49.50000 -72.50000"},
    {"N0CALL>APRS:!90  .  N/07201.75W-", "90.00000 -72.50000"},
    {"N0CALL>APRS:!49  .  S/180  .  W-", "-49.50000 -180.00000"},

    // "!DAO!" adds the digits after the hundredths of a minute, human-readable ("W") or base 91
    // ("w"), to a position sent with all its digits, and leaves the comment.
    {"N0CALL>APRS:!4903.50N/07201.75W-Test!W27!", "49.05837 -72.02928 'Test'"},
    {"N0CALL>APRS:=4903.50S/07201.75E-!W27!", "-49.05837 72.02928"},
    {"AB1CD>APRS:;LEADER   *092345z4903.50N/07201.75W>088/036!W27!",
     "49.05837 -72.02928 c88 s66.7 ;LEADER"},
    {"N0CALL>423W1T:`c0ooZO>/]\"6)}on air!wN{!=",
     "42.61908 -71.34733 c251 s66.7 a200 EMERGENCY 'on air'"},
    {"N0CALL>APRS:!4903.5 N/07201.75W-!W27!", "49.05917 -72.02917"},
    {"N0CALL>APRS:=/5L!!<*e7> sTComment!wN{!", "49.50000 -72.75000 'Comment'"},
    {"N0CALL>APRS:!4903.50N/07201.75W-!W  !Test", "49.05833 -72.02917 'Test'"},
    {"N0CALL>APRS:!4903.50N/07201.75W-Hi!WOW!", "49.05833 -72.02917 'Hi!WOW!'"},

    // Compressed positions, the reference's examples; packets of our own encoder are checked
    // with the encoder.
    {"N0CALL>APRS:=/5L!!<*e7> sTComment", "49.50000 -72.75000 'Comment'"},
    {"N0CALL>APRS:!/5L!!<*e7>7P[", "49.50000 -72.75000 c88 s67.1"},
    {"N0CALL>APRS:!/5L!!<*e7>z!!", "49.50000 -72.75000 c356 s0.0"},  // the last course byte
    {"N0CALL>APRS:!/5L!!<*e7OS]S", "49.50000 -72.75000 a3049"},
    {"N0CALL>APRS:!/!!!!!!!!>  B", "90.00000 -180.00000"},
    {"N0CALL>APRS:@092345z/5L!!<*e7>7P[moving", "49.50000 -72.75000 c88 s67.1 'moving'"},
    {"N0CALL>APRS:=/5L!!<*e7>{?!", "49.50000 -72.75000 r32.4"},  // 20.1253 miles

    // Objects, items, status reports and locators.
    {"AB1CD>APRS:;LEADER   *092345z4903.50N/07201.75W>088/036",
     "49.05833 -72.02917 c88 s66.7 ;LEADER"},
    {"AB1CD>APRS:;CAR      *111111z/5L!!<*e7>7P[", "49.50000 -72.75000 c88 s67.1 ;CAR"},
    {"AB1CD>APRS:;LEADER   _092345z4903.50N/07201.75W>", "49.05833 -72.02917 ;LEADER killed"},
    {"AB1CD>APRS:)AID #2!4903.50N/07201.75WA", "49.05833 -72.02917 ;AID #2"},
    {"AB1CD>APRS:>Net Control Center", "status 'Net Control Center'"},
    {"AB1CD>APRS:>092345zNet Control Center", "status 'Net Control Center'"},
    {"AB1CD>APRS:>092345z", "status"},
    {"AB1CD>APRS:>Net Control Center\n", "status 'Net Control Center'"},
    {"AB1CD>APRS:>!EMERGENCY! car fire", "EMERGENCY status '!EMERGENCY! car fire'"},
    {"AB1CD>APRS:!4903.50N/07201.75W-!EMERGENCY!", "49.05833 -72.02917 EMERGENCY '!EMERGENCY!'"},
    {"AB1CD>APRS:>help !EMERGENCY!", "status 'help !EMERGENCY!'"},
    {"AB1CD>APRS:>PM05lj/- Net Control", "35.39583 120.95833 status 'Net Control'"},
    {"AB1CD>APRS:>IO91SX/G", "51.97917 -0.45833 status"},
    {"AB1CD>APRS:>JN45A# net", "45.50000 9.00000 status 'net'"},  // an overlay as the table
    {"AB1CD>APRS:>JN45 !EMERGENCY! car fire",
     "45.50000 9.00000 EMERGENCY status '!EMERGENCY! car fire'"},
    {"AB1CD>APRS:>IO91SX/Gone", "status 'IO91SX/Gone'"},
    {"AB1CD>APRS:>SR12 test", "status 'SR12 test'"},
    {"AB1CD>APRS:[JN45ab]Club station", "45.06250 8.04167 'Club station'"},
    {"AB1CD>APRS:[IO91]", "51.50000 -1.00000"},
    {"IGATE>APRS,WIDE2-1:}N0CALL-9>423W1T,TCPIP,IGATE*:`c0ooZO>/]\"6)}EMERGENCY",
     "42.61900 -71.34717 c251 s66.7 a200 EMERGENCY 'EMERGENCY'"},

    // Mic-E.
    {"N0CALL>423714:`c0ooZO>/", "-42.61900 71.34717 c251 s66.7 EMERGENCY"},
    {"N0CALL>423WQT:`{0ooZO>/", "42.61900 -5.34717 c251 s66.7 EMERGENCY"},
    {"N0CALL>423WQT:`lXooZO>/", "42.61900 -100.01383 c251 s66.7 EMERGENCY"},
    {"N0CALL>423W1T:'c0ol \x1c>/!!!}", "42.61900 -71.34717 c0 s0.0 a-10000 EMERGENCY"},
    {"N0CALL>423W1T:`c0ooZO>/`hello_%", "42.61900 -71.34717 c251 s66.7 EMERGENCY 'hello'"},
    {"N0CALL>423W1T:`c0ooZO>/>\"6)}on air=",
     "42.61900 -71.34717 c251 s66.7 a200 EMERGENCY 'on air'"},
    {"N0CALL>TRSW1T:`c0ooZO>/!EMERGENCY!", "42.61900 -71.34717 c251 s66.7 OFF DUTY '!EMERGENCY!'"},
    {"N0CALL>423WQT:`&aooZO>/", "42.61900 -110.16383 c251 s66.7 EMERGENCY"},
    {"N0CALL>423W1T:`\x7f&ooZO>/", "42.61900 -99.18050 c251 s66.7 EMERGENCY"},
    {"N0CALL>423WLZ:`c0ooZO>/", "42.62500 -71.34167 c251 s66.7 EMERGENCY"},
    {"N0CALL>42LZLZ:`c0ooZO>/", "42.50000 -71.50000 c251 s66.7 EMERGENCY"},
    {"N0CALL>423W1T:`c0ooZO>/'hello|3", "42.61900 -71.34717 c251 s66.7 EMERGENCY 'hello'"},

    // The message type needs only destination characters 1-3: any other Mic-E field that
    // cannot be read is left out, and the frame stands with its type.
    // The information field cut short: what is whole is read.
    {"N0CALL>423W1T:`", "EMERGENCY"},
    {"N0CALL>423W1T:`c0o", "42.61900 -71.34717 EMERGENCY"},
    {"N0CALL>423W1T:`c0ooZO", "42.61900 -71.34717 c251 s66.7 EMERGENCY"},
    // Destination characters 4-6 not Mic-E (a missing one is a blank), latitude minutes
    // over 59, a latitude over 90 degrees: no position. 90 degrees itself is one.
    {"N0CALL>423A1T:`c0ooZO>/", "c251 s66.7 EMERGENCY"},
    {"N0CALL>423W1:`c0ooZO>/", "c251 s66.7 EMERGENCY"},
    {"N0CALL>426W1T:`c0ooZO>/", "c251 s66.7 EMERGENCY"},
    {"N0CALL>900P1P:`c0ooZO>/", "c251 s66.7 EMERGENCY"},
    {"N0CALL>900P0P:`c0ooZO>/", "90.00000 -71.34717 c251 s66.7 EMERGENCY"},
    // Longitude bytes outside the encoding: minutes byte below 38 or above 97; degrees byte
    // below 38 or above 127, with or without the +100 flag.
    {"N0CALL>T2SP0W:`c\x1eooZO>/", "c251 s66.7 IN SERVICE"},
    {"N0CALL>423W1T:`cbooZO>/", "c251 s66.7 EMERGENCY"},
    {"N0CALL>423W1T:`%0ooZO>/", "c251 s66.7 EMERGENCY"},
    {"N0CALL>423WQT:`%0ooZO>/", "c251 s66.7 EMERGENCY"},
    {"N0CALL>423W1T:`\x01"
     "0ooZO>/",
     "c251 s66.7 EMERGENCY"},
    {"N0CALL>423W1T:`\x80"
     "0ooZO>/",
     "c251 s66.7 EMERGENCY"},
    // A course over 360 or a byte outside the encoding costs only its own value.
    {"N0CALL>423W1T:`c0oo[b>/", "42.61900 -71.34717 s66.7 EMERGENCY"},
    {"N0CALL>423W1T:`c0o\x01ZO>/", "42.61900 -71.34717 c251 EMERGENCY"},
    {"N0CALL>423W1T:`c0ooZ\x80>/", "42.61900 -71.34717 s66.7 EMERGENCY"},
};
INSTANTIATE_TEST_SUITE_P(Aprs, ReferenceExamples, ::testing::ValuesIn(kVectors));

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
        EXPECT_EQ(Summary(Decode(std::string("N0CALL-9>") + destination + ":`c0ooZO>/")),
                  std::string("42.61900 -71.34717 c251 s66.7 ") + messageType);
    }
}

// Malformed frames: an error, no half-read data, and above all no crash.
class Malformed : public ::testing::TestWithParam<const char*> {};

TEST_P(Malformed, SetsErrorAndKeepsNothingElse) {
    EXPECT_TRUE(Summary(Decode(GetParam())).starts_with("error: ")) << GetParam();
}

INSTANTIATE_TEST_SUITE_P(
    Frames, Malformed,
    ::testing::Values("", "no header here", ">APRS:!", "N0CALL>:x", "N0CALL>APRS:",
                      "N0CALL>APRS:!4903.50N/072", "N0CALL>APRS:!4963.50N/07201.75W-",
                      "N0CALL>APRS:!9103.50N/07201.75W-", "N0CALL>APRS:!4903.50N/18101.75W-",
                      "N0CALL>APRS:!4903.50X/07201.75W-", "N0CALL>APRS:!/5L!!<*e",
                      "N0CALL>APRS:!/5L!~<*e7>7P[", "N0CALL>APRS:/0923454903.50N/07201.75W>",
                      "N0CALL>APRS:;LEADER*0923", "N0CALL>APRS:)AB!4903.50N/07201.75W-",
                      "N0CALL>APRS:[JN45A/]x", "N0CALL>APRS:[JN45ab", "N0CALL>APRS:[SA45ab]x",
                      // A destination that gives no Mic-E message type: a bad character in
                      // positions 1-3, or longer than an address field.
                      "N0CALL>4M3W1T:`c0ooZO>/", "N0CALL>42:`c0ooZO>/", "N0CALL>423W1TX:`c0ooZO>/",
                      "N0CALL>APRS:}garbage", "A>B:}A>B:}A>B:}A>B:}A>B:}A>B:!4903.50N/07201.75W-"));

// A record reused from frame to frame keeps nothing of the frame before: every vector, a
// frame cut short and a third-party frame, one after the other, come out as decoded afresh.
TEST(Decode, AReusedRecordGivesWhatAFreshOneGives) {
    const auto whole = [](const Decoded& d) {
        return Summary(d) + " | " + d.source + " | " + d.tnc2 + " | " + d.parts.source + ">" +
               d.parts.destination + "," + d.parts.path + ":" + d.parts.payload;
    };
    std::vector<std::string> lines{"N0CALL>APRS:!4903.50N/072",
                                   "A>B:}A>B:}A>B:}A>B:}A>B:}A>B:!4903.50N/07201.75W-"};
    for (const Vector& v : kVectors)
        lines.insert(lines.end(), {v.line, "A>B:>x", v.line, "C>D:;bad", v.line, "no header"});
    Decoded reused;
    for (const std::string& line : lines) {
        Decode(line, reused);
        EXPECT_EQ(whole(reused), whole(Decode(line))) << line;
    }
}

TEST(DecodeJson, TheMicEEmergencyExample) {
    EXPECT_EQ(ToJson(Decode("N0CALL-9>423W1T,WIDE1-1:`c0ooZO>/]\"6)}EMERGENCY test")),
              "{\"source\":\"N0CALL-9\",\"latitude\":42.619000,\"longitude\":-71.347167,"
              "\"course\":251,\"speed_kmh\":66.7,\"altitude_m\":200.0,\"message_type\":"
              "\"EMERGENCY\",\"comment\":\"EMERGENCY test\",\"object\":\"\",\"error\":\"\"}");
}

// One output line per input line, empty lines included, whatever the read blocks cut.
TEST(DecodeJson, LinesCutByTheReadBlocksComeOutWholeAndInOrder) {
    // Lines of uneven lengths, far more than one read block, the last without a line end.
    const std::string empty =
        "{\"source\":\"\",\"latitude\":null,\"longitude\":null,\"course\":null,\"speed_kmh\":null,"
        "\"altitude_m\":null,\"message_type\":\"\",\"comment\":\"\",\"object\":\"\","
        "\"error\":\"bad frame header\"}\n";
    std::string input, expected;
    for (int i = 0; i < 3000; ++i) {
        std::string line = "Q1A-" + std::to_string(i % 16) + ">APRS:>status " +
                           std::string(static_cast<std::size_t>(i % 97), 'x') + "\xC3\xA8";
        input += line + (i % 5 == 0 ? "\r\n" : "\n") + (i % 7 == 0 ? "\r\n" : "");
        expected += ToJson(Decode(line)) + "\n" + (i % 7 == 0 ? empty : "");
    }
    input += "Q2B>APRS:>last";
    expected += ToJson(Decode("Q2B>APRS:>last")) + "\n";
    std::istringstream in(input);
    std::ostringstream out;
    DecodeLines(in, out);
    EXPECT_EQ(out.str(), expected);
}

TEST(DecodeJson, StringsAreEscapedAndAlwaysValidUtf8) {
    EXPECT_EQ(JsonString("a\"b\\c\n\t\x01\x7F"), "\"a\\\"b\\\\c\\n\\t\\u0001\\u007f\"");
    EXPECT_EQ(JsonString("caff\xC3\xA8 \xE2\x82\xAC"), "\"caff\xC3\xA8 \xE2\x82\xAC\"");
    // The top of each byte's range: U+00BF, U+D7FF before the surrogates, U+10FFFF.
    EXPECT_EQ(JsonString("\xC2\xBF\xED\x9F\xBF\xF4\x8F\xBF\xBF"),
              "\"\xC2\xBF\xED\x9F\xBF\xF4\x8F\xBF\xBF\"");
    EXPECT_EQ(JsonString("\xE8t\xC3"), "\"\xEF\xBF\xBDt\xEF\xBF\xBD\"");
    EXPECT_EQ(JsonString("\xED\xA0\x80"),
              "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\"");  // surrogate
}

}  // namespace
}  // namespace decode
