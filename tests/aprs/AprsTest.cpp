// The class Aprs: frame text cutters and the compressed position encoder.
#include <gtest/gtest.h>

#include <array>

#include "aprs/Aprs.h"

namespace {

const aprs::Aprs kAprs;

TEST(AprsCutters, NominativoTakesTheTextBetweenTheFirstBlankAndTheNextGreaterThan) {
    struct Case {
        const char* frame;
        const char* callsign;
    } cases[] = {
        {"12:00:01 N0CALL-9>APRS,WIDE2-2:!4530.25N/00912.34E>", "N0CALL-9"},
        {"N0CALL>APRS", "N0CALL"},
        {"a b>c d>e", "b"},
        {"x >APRS", ""},
        {"12:00:01 N0CALL", ""},  // no ">" after the blank
        {"a>b c", ""},            // the ">" stands before the blank
        {"", ""},
        {" ", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(kAprs.Nominativo(c.frame), c.callsign) << c.frame;
}

TEST(AprsCutters, NominativoAGWTakesTheTextBeforeTheBlankInFrontOfTo) {
    EXPECT_EQ(kAprs.NominativoAGW("Fm N0CALL-9 To APRS Via WIDE"), "Fm N0CALL-9");
    EXPECT_EQ(kAprs.NominativoAGW("A To B"), "A");
    EXPECT_EQ(kAprs.NominativoAGW("To APRS"), "");  // nothing in front of the marker
    EXPECT_EQ(kAprs.NominativoAGW("ABCDEF"), std::nullopt);
    EXPECT_EQ(kAprs.NominativoAGW("Aa to b"), std::nullopt);
    EXPECT_EQ(kAprs.NominativoAGW(""), std::nullopt);
}

TEST(AprsCutters, DatiSkipsTwoCharactersAfterTheMarkerAndCutsTwoAtTheEnd) {
    struct Case {
        const char* frame;
        const char* data;
    } cases[] = {
        {"X>:12DATA\r\n", "DATA"},
        {"abcdef", "d"},  // no marker: from the fourth character
        {"X>:12\r\n", ""},
        {"X>:12\r", ""},  // shorter than the two end characters
        {"X>:", ""},
        {"ab", ""},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(kAprs.Dati(c.frame), c.data) << c.frame;
}

TEST(AprsCutters, BeaconMessageTakesTheTextAfterTheSeparator) {
    struct Case {
        const char* text;
        const char* separator;
        const char* message;
    } cases[] = {
        {"N0CALL>Help me", ">", "Help me"},
        {"no separator", ">", "no separator"},
        {"abc>", ">", ""},
        {"a>>b", ">>", "b"},
        {"abcdef", ">>", "bcdef"},  // missing: from the separator's length on
        {"ab", ">>>>", ""},
        {"", ">", ""},
        {"whole", "", "whole"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(kAprs.BeaconMessage(c.text, c.separator), c.message) << c.text << c.separator;
}

TEST(AprsCompressed, PositionCharactersAreBase91OfTheScaledCoordinates) {
    struct Case {
        const char* lat;
        const char* lon;
        const char* expected;
    } cases[] = {
        {"90", "-180", "!!!!!!!! B"},
        {"0", "0", "NN!!NN!! B"},
        {"-90", "180", "{{!!{{!! B"},
        // The protocol reference's example: 49 30' N, 72 45' W.
        {"49.5", "-72.75", "5L!!<*e7 B"},
        {" 0 ", "0", "NN!!NN!! B"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(kAprs.Comp_Pos_Rep(c.lat, c.lon, "", "", "", ""), c.expected) << c.lat << c.lon;
}

TEST(AprsCompressed, ExtensionsFollowInTheirOrderAndAltitudeSetsR) {
    struct Case {
        const char* dir;
        const char* vel;
        const char* range;
        const char* alt;
        const char* extension;
    } cases[] = {
        {"90", "0", "", "", "7!B"},
        {"88", "36.3", "", "", "7PB"},  // 36.2 knots would give 46.99, cut to "O"
        {"", "", "2", "", "{!B"},
        {"", "", "20", "", "{>B"},
        {"", "", "", "1000", "F{R"},
        {"90", "0", "2", "1000", "7!{!F{R"},
        {"", "12", "", "", " B"},  // a speed without a course is not encoded
        {"  ", "", "", "", " B"},  // blanks only: not given
    };
    for (const auto& c : cases) {
        EXPECT_EQ(kAprs.Comp_Pos_Rep("90", "-180", c.dir, c.vel, c.range, c.alt),
                  std::string("!!!!!!!!") + c.extension)
            << c.dir << "/" << c.vel << "/" << c.range << "/" << c.alt;
    }
}

TEST(AprsCompressed, ArgumentsThatCannotBeEncodedGiveTheEmptyText) {
    const std::array<const char*, 6> cases[] = {
        // lat, lon, course, speed, range, altitude
        {"abc", "0", "", "", "", ""},   {"", "0", "", "", "", ""},
        {"45,5", "0", "", "", "", ""},  {"12abc", "0", "", "", "", ""},
        {"90.01", "0", "", "", "", ""}, {"-90.01", "0", "", "", "", ""},
        {"0", "180.5", "", "", "", ""}, {"0", "-181", "", "", "", ""},
        {"0", "0", "90", "", "", ""},   {"0", "0", "90", "-1", "", ""},
        {"0", "0", "90", "x", "", ""},  {"0", "0", "-4", "0", "", ""},
        {"0", "0", "364", "0", "", ""}, {"0", "0", "90", "5000", "", ""},
        {"0", "0", "", "", "0", ""},    {"0", "0", "", "", "-5", ""},
        {"0", "0", "", "", "1", ""},    {"0", "0", "", "", "abc", ""},
        {"0", "0", "", "", "", "0"},    {"0", "0", "", "", "", "-10"},
        {"0", "0", "", "", "", "0.5"},  {"0", "0", "", "", "", "1e99"},
        {"1e999", "0", "", "", "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(kAprs.Comp_Pos_Rep(c[0], c[1], c[2], c[3], c[4], c[5]), "")
            << testing::PrintToString(c);
    }
}

TEST(AprsCompressed, MicEDoesNoWork) {
    EXPECT_EQ(kAprs.Mic_E("4530.25", "N", "00912.34", "E", "90", "10", "c", "EMERGENCY"), "");
}

}  // namespace
