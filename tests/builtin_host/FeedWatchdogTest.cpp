// How long a feed may be quiet: per kind of feed, or as the settings say. When a silence starts
// and ends is followed through the silence policy (FeedWatchTest).
#include <gtest/gtest.h>

#include "builtin_host/FeedWatchdog.h"

namespace builtin_host {
namespace {

using Change = FeedWatchdog::Change;

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
