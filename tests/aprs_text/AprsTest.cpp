// The class Aprs: frame text cutters and the compressed position encoder.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "aprs_text/Aprs.h"

namespace {

const aprs_text::Aprs kAprs;

TEST(AprsCutters, OneWorkedExamplePerCase) {
    EXPECT_EQ(kAprs.Nominativo("12:00:01 N0CALL-9>APRS,WIDE2-2:!4530.25N/00912.34E>"), "N0CALL-9");
    EXPECT_EQ(kAprs.Nominativo("N0CALL>APRS"), "N0CALL");
    EXPECT_EQ(kAprs.Nominativo("a>b c"), "");  // the ">" stands before the blank

    EXPECT_EQ(kAprs.BeaconMessage("N0CALL>Help me", ">"), "Help me");
    EXPECT_EQ(kAprs.BeaconMessage("no separator", ">"), "no separator");
    EXPECT_EQ(kAprs.BeaconMessage("abc>", ">"), "");
    EXPECT_EQ(kAprs.BeaconMessage("abcdef", ">>"), "bcdef");  // missing: from its length on
    EXPECT_EQ(kAprs.BeaconMessage("whole", ""), "whole");

    EXPECT_EQ(kAprs.NominativoAGW("Fm N0CALL-9 To APRS Via WIDE"), "Fm N0CALL-9");
    EXPECT_EQ(kAprs.NominativoAGW("To APRS"), "");
    EXPECT_EQ(kAprs.NominativoAGW("ABCDEF"), std::nullopt);

    EXPECT_EQ(kAprs.Dati("X>:12DATA\r\n"), "DATA");
    EXPECT_EQ(kAprs.Dati("abcdef"), "d");  // no marker: from the fourth character
    EXPECT_EQ(kAprs.Dati("X>:12\r"), "");  // shorter than the two end characters
    EXPECT_EQ(kAprs.Dati("X>:"), "");
}

// lat, lon, course, speed, range, altitude -> the report ("" when it cannot be encoded).
std::string Report(const std::array<const char*, 6>& a) {
    return kAprs.Comp_Pos_Rep(a[0], a[1], a[2], a[3], a[4], a[5]);
}

TEST(AprsCompressed, WorkedExamples) {
    // The protocol reference's example: 49 30' N, 72 45' W.
    EXPECT_EQ(Report({"49.5", "-72.75", "", "", "", ""}), "5L!!<*e7 B");
    EXPECT_EQ(Report({"90", "-180", "", "", "", ""}), "!!!!!!!! B");
    EXPECT_EQ(Report({"-90", "180", "", "", "", ""}), "{{!!{{!! B");
    EXPECT_EQ(Report({"90", "-180", "88", "36.3", "", ""}), "!!!!!!!!7PB");
    EXPECT_EQ(Report({"90", "-180", "", "", "20", ""}), "!!!!!!!!{>B");
    EXPECT_EQ(Report({"90", "-180", "", "", "", "1000"}), "!!!!!!!!F{R");
    EXPECT_EQ(Report({"90", "-180", "90", "0", "2", "1000"}), "!!!!!!!!7!{!F{R");
    EXPECT_EQ(Report({"90", "-180", "  ", "12", "", ""}), "!!!!!!!! B");  // no course: no speed
    // Read back by the decoder within the format's resolution (0.3 m of position, 4 degrees of
    // course, 8 % of speed or range).
    EXPECT_EQ(Report({"-33.8688", "151.2093", "", "", "", ""}), "_Xxitak& B");
    EXPECT_EQ(Report({"45.5", "9.2", "251", "36", "", ""}), "7N!!PkWW_OB");
    EXPECT_EQ(Report({"45.5", "9.2", "", "", "20", ""}), "7N!!PkWW{>B");
    EXPECT_EQ(Report({"45.5", "9.2", "", "", "", "29000"}), "7N!!PkWWYOR");
}

TEST(AprsCompressed, ArgumentsThatCannotBeEncodedGiveTheEmptyText) {
    const std::array<const char*, 6> cases[] = {
        {"12abc", "0", "", "", "", ""},   {"90.01", "0", "", "", "", ""},
        {"0", "-181", "", "", "", ""},    {"0", "0", "90", "", "", ""},
        {"0", "0", "90", "-1", "", ""},   {"0", "0", "364", "0", "", ""},
        {"0", "0", "90", "5000", "", ""}, {"0", "0", "", "", "1", ""},
        {"0", "0", "", "", "", "0.5"},    {"0", "0", "", "", "", "1e99"},
        {"0", "0", "", "", "", "0"},
    };
    for (const auto& c : cases) EXPECT_EQ(Report(c), "") << testing::PrintToString(c);
}

}  // namespace
