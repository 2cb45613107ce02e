// Number and date texts, each checked with "." and with "," as the decimal symbol.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>

#include "platform/NumberText.h"

namespace {

using platform::FixedRegional;

const FixedRegional kPoint(".", "dd/MM/yyyy");
const FixedRegional kComma(",", "dd/MM/yyyy");

// The text expected with ","; "." gives the same text with "." in its place.
std::string WithPoint(std::string text) {
    for (char& c : text)
        if (c == ',') c = '.';
    return text;
}

TEST(NumberTextVal, ReadsTheLeadingNumberWithPointAsTheOnlyDecimalSymbol) {
    struct Case {
        const char* text;
        double expected;
    } cases[] = {{"abc", 0},     {"-552.34W", -552.34}, {"2730,25", 2730}, {"  \t42", 42},
                 {"+7", 7},      {".5", 0.5},           {"5.", 5},         {"- 5", 0},
                 {"1e3x", 1000}, {"1E-2", 0.01},        {"2e", 2},         {"2e+", 2},
                 {"1e-999", 0}};
    for (const auto& c : cases) EXPECT_DOUBLE_EQ(platform::Val(c.text), c.expected) << c.text;
    EXPECT_EQ(platform::Val("1e999"), DBL_MAX);
    EXPECT_EQ(platform::Val(std::string(400, '9')), DBL_MAX);
    EXPECT_EQ(platform::Val("0." + std::string(400, '0') + "1"), 0);
}

TEST(NumberTextVal, IsNumberWantsOneWholeNumber) {
    for (const char* yes : {"12.5", " -3e2 "}) EXPECT_TRUE(platform::IsNumber(yes)) << yes;
    for (const char* no : {"", "12abc", ".", "1 2"}) EXPECT_FALSE(platform::IsNumber(no)) << no;
}

TEST(NumberTextRounding, HalvesGoToTheEvenNeighbour) {
    struct Case {
        double value;
        std::int64_t expected;
    } cases[] = {{2.5, 2}, {3.5, 4}, {-2.5, -2}, {2.5001, 3}};
    for (const auto& c : cases) EXPECT_EQ(platform::RoundHalfEven(c.value), c.expected) << c.value;
}

TEST(NumberTextRounding, IntRoundsDownAndNarrowIntegersSaturate) {
    EXPECT_EQ(platform::Int(-1.5), -2);
    EXPECT_EQ(platform::ToInt16(40000), INT16_MAX);
    EXPECT_EQ(platform::ToInt16(-40000), INT16_MIN);
    EXPECT_EQ(platform::ToInt16(6.5), 6);
    EXPECT_EQ(platform::ToInt32(std::nan("")), 0);
    EXPECT_EQ(platform::RoundHalfEven(1e300), INT64_MAX);
    EXPECT_EQ(platform::RoundHalfEven(0x1p63), INT64_MAX);  // the first double past the largest
}

// 2759.7f - 2700.0f is a single's leftover, 59.699951171875.
TEST(NumberTextFormat, PatternsRoundHalfAwayFromZeroOnTheShownValue) {
    struct Case {
        double value;
        const char* pattern;
        const char* expected;  // with ","
    } cases[] = {{12.345, "#0.00", "12,35"},
                 {10.005, "#0.00", "10,01"},
                 {-0.004, "#0.00", "0,00"},
                 {-1.005, "#0.00", "-1,01"},
                 {9.995, "#0.00", "10,00"},
                 {5.7, "00.00", "05,70"},
                 {0.4, "###", ""},
                 {0.5, "###", "1"},
                 {9, "000", "009"},
                 {123, "00", "123"},
                 {0, "000", "000"},
                 {1e20, "#0.00", "100000000000000000000,00"},
                 {2759.7f - 2700.0f, "00.00", "59,70"},
                 {30.125f, "00.00", "30,13"},
                 {std::nan(""), "#0.00", "0,00"}};
    for (const auto& c : cases) {
        EXPECT_EQ(platform::Format(c.value, c.pattern, kComma), c.expected)
            << c.value << " " << c.pattern;
        EXPECT_EQ(platform::Format(c.value, c.pattern, kPoint), WithPoint(c.expected))
            << c.value << " " << c.pattern;
    }
}

TEST(NumberTextShortest, SingleAndDoubleTextsReadBackAsTheSameValue) {
    struct SingleCase {
        float value;
        const char* expected;
    } singles[] = {
        {2730.25f, "2730,25"}, {-0.f, "0"}, {100000.f, "100000"}, {0.1f, "0,1"}, {1e20f, "1e+20"}};
    for (const auto& c : singles) {
        EXPECT_EQ(platform::SingleText(c.value, kComma), c.expected) << c.value;
        std::string point = platform::SingleText(c.value, kPoint);
        EXPECT_EQ(point, WithPoint(c.expected));
        EXPECT_EQ(static_cast<float>(platform::Val(point)), c.value) << point;
    }
    struct DoubleCase {
        double value;
        const char* expected;
    } doubles[] = {{1.5, "1,5"},
                   {0.1 + 0.2, "0,3"},
                   {0, "0"},
                   {1e15, "1e+15"},
                   {123456789012345, "123456789012345"}};
    for (const auto& c : doubles) {
        EXPECT_EQ(platform::NumberText(c.value, kComma), c.expected) << c.value;
        EXPECT_EQ(platform::NumberText(c.value, kPoint), WithPoint(c.expected)) << c.value;
    }
}

TEST(NumberTextDate, TimeAndShortDateFollowTheirPatterns) {
    platform::DateTime when{2026, 12, 5, 9, 3, 7};
    EXPECT_EQ(platform::TimeText(when), "09:03:07");
    struct Case {
        const char* pattern;
        const char* expected;
    } cases[] = {{"dd/MM/yyyy", "05/12/2026"}, {"d.M.yy", "5.12.26"}, {"dd MMM y", "05 12 26"}};
    for (const auto& c : cases) {
        EXPECT_EQ(platform::ShortDateText(when, FixedRegional(",", c.pattern)), c.expected)
            << c.pattern;
    }
    EXPECT_EQ(platform::ShortDateText({2007, 1, 2}, FixedRegional(".", "d/M/yy")), "2/1/07");
}

TEST(NumberTextCase, UCaseTouchesOnlyAsciiLetters) {
    EXPECT_EQ(platform::UCase("Emergency-1 \xc3\xa8"), "EMERGENCY-1 \xc3\xa8");
}

}  // namespace
