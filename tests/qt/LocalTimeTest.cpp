// Local time from UTC and the zone's offset, with the offset looked up once a minute.
#include <gtest/gtest.h>

#include <cstdint>
#include <tuple>
#include <vector>

#include "qt/LocalTime.h"

namespace {

auto Fields(const platform::DateTime& t) {
    return std::make_tuple(t.year, t.month, t.day, t.hour, t.minute, t.second);
}

TEST(LocalDateTime, CivilDateAndTimeOnBothSidesOfDayMonthAndYearEnds) {
    struct Case {
        std::int64_t utc;
        std::int64_t offset;
        std::tuple<int, int, int, int, int, int> local;
    };
    for (const Case& c : {
             Case{0, 3600, {1970, 1, 1, 1, 0, 0}},
             Case{951868799, 0, {2000, 2, 29, 23, 59, 59}},              // a leap day of a 400-year
             Case{1709251199, 1, {2024, 3, 1, 0, 0, 0}},                 // past a leap day
             Case{1798761600 + 1800, -3600, {2026, 12, 31, 23, 30, 0}},  // west, the year before
             Case{1798761600 - 60, 20700, {2027, 1, 1, 5, 44, 0}},       // +05:45
             Case{-1, 0, {1969, 12, 31, 23, 59, 59}},
         }) {
        EXPECT_EQ(Fields(qt::LocalDateTime(c.utc, c.offset)), c.local) << c.utc;
    }
}

TEST(LocalTimeCache, LooksTheOffsetUpOncePerMinuteAndFollowsAChangeAtTheMinute) {
    // Summer time ends at 01:00 UTC on 25 October 2026: +2 h before, +1 h from then on.
    constexpr std::int64_t kChange = 1792890000;
    std::int64_t now = kChange - 61;
    std::vector<std::int64_t> lookups;
    qt::LocalTimeCache clock([&] { return now; },
                             [&](std::int64_t utc) {
                                 lookups.push_back(utc);
                                 return utc < kChange ? 7200 : 3600;
                             });
    EXPECT_EQ(Fields(clock.Now()), std::make_tuple(2026, 10, 25, 2, 58, 59));
    now += 1;
    EXPECT_EQ(Fields(clock.Now()), std::make_tuple(2026, 10, 25, 2, 59, 0));
    now += 59;
    EXPECT_EQ(Fields(clock.Now()), std::make_tuple(2026, 10, 25, 2, 59, 59));
    now += 1;
    EXPECT_EQ(Fields(clock.Now()), std::make_tuple(2026, 10, 25, 2, 0, 0)) << "an hour back";
    EXPECT_EQ(lookups, (std::vector<std::int64_t>{kChange - 61, kChange - 60, kChange}));
}

}  // namespace
