// When a quiet feed turns into an alarm, and when it stops being one.
#include <gtest/gtest.h>

#include "builtin_host/FeedWatchdog.h"

namespace builtin_host {
namespace {

using Change = FeedWatchdog::Change;

TEST(FeedWatchdog, SilentAtTheLimitNotBeforeAndOnlyOnce) {
    FeedWatchdog dog(120, 1000);
    EXPECT_EQ(dog.Heard(1010), Change::None);
    EXPECT_EQ(dog.Check(1129), Change::None);
    EXPECT_EQ(dog.Check(1130), Change::Silent);
    EXPECT_TRUE(dog.Silent());
    EXPECT_EQ(dog.Check(5000), Change::None);  // one alarm per silence
    EXPECT_EQ(dog.LastHeard(), 1010);
}

TEST(FeedWatchdog, NextArrivalEndsTheSilenceAndStartsTheCountAgain) {
    FeedWatchdog dog(60, 0);
    ASSERT_EQ(dog.Check(60), Change::Silent);
    EXPECT_EQ(dog.Heard(70), Change::Back);
    EXPECT_EQ(dog.Heard(71), Change::None);
    EXPECT_EQ(dog.Check(130), Change::None);
    EXPECT_EQ(dog.Check(131), Change::Silent);
}

TEST(FeedWatchdog, AFeedThatNeverSpeaksTurnsSilentOneLimitAfterTheStart) {
    FeedWatchdog dog(900, 50);
    EXPECT_EQ(dog.Check(949), Change::None);
    EXPECT_EQ(dog.Check(950), Change::Silent);
}

TEST(FeedWatchdog, ZeroLimitNeverAlarms) {
    FeedWatchdog dog(SilenceLimitSeconds(FeedSource::Kiss, 0), 0);
    EXPECT_EQ(dog.Check(1'000'000), Change::None);
}

TEST(FeedWatchdog, LimitsPerFeedAndFromTheSettings) {
    EXPECT_EQ(SilenceLimitSeconds(FeedSource::Kiss, std::nullopt), 15 * 60);
    EXPECT_EQ(SilenceLimitSeconds(FeedSource::Replay, std::nullopt), 15 * 60);
    EXPECT_EQ(SilenceLimitSeconds(FeedSource::AprsIs, std::nullopt), 2 * 60);
    EXPECT_EQ(SilenceLimitSeconds(FeedSource::AprsIs, 0.5), 30);
    EXPECT_EQ(SilenceLimitSeconds(FeedSource::Kiss, -3), 15 * 60);
}

}  // namespace
}  // namespace builtin_host
