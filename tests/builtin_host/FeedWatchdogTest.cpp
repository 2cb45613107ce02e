// When a quiet feed turns into an alarm, and when it stops being one.
#include <gtest/gtest.h>

#include "builtin_host/FeedWatchdog.h"

namespace builtin_host {
namespace {

using Change = FeedWatchdog::Change;

TEST(FeedWatchdog, SilentAtTheLimitOncePerSilenceAndBackOnTheNextArrival) {
    FeedWatchdog dog(120, 1000);
    EXPECT_EQ(dog.Heard(1010), Change::None);
    EXPECT_EQ(dog.Check(1129), Change::None);
    EXPECT_EQ(dog.Check(1130), Change::Silent);
    EXPECT_TRUE(dog.Silent());
    EXPECT_EQ(dog.Check(5000), Change::None);  // one alarm per silence
    EXPECT_EQ(dog.LastHeard(), 1010);
    // The next arrival ends the silence and starts the count again.
    EXPECT_EQ(dog.Heard(5010), Change::Back);
    EXPECT_EQ(dog.Heard(5011), Change::None);
    EXPECT_EQ(dog.Check(5130), Change::None);
    EXPECT_EQ(dog.Check(5131), Change::Silent);

    FeedWatchdog never(900, 50);  // a feed that never speaks: one limit after the start
    EXPECT_EQ(never.Check(949), Change::None);
    EXPECT_EQ(never.Check(950), Change::Silent);
}

TEST(FeedWatchdog, LimitsPerFeedAndFromTheSettings) {
    EXPECT_EQ(SilenceLimitSeconds(FeedSource::Kiss, std::nullopt), 15 * 60);
    EXPECT_EQ(SilenceLimitSeconds(FeedSource::Replay, std::nullopt), 15 * 60);
    EXPECT_EQ(SilenceLimitSeconds(FeedSource::AprsIs, std::nullopt), 2 * 60);
    EXPECT_EQ(SilenceLimitSeconds(FeedSource::AprsIs, 0.5), 30);
    EXPECT_EQ(SilenceLimitSeconds(FeedSource::Kiss, -3), 15 * 60);
    EXPECT_EQ(SilenceLimitSeconds(FeedSource::Kiss, 0), 0);
    FeedWatchdog off(0, 0);  // a zero limit never alarms
    EXPECT_EQ(off.Check(1'000'000), Change::None);
}

}  // namespace
}  // namespace builtin_host
