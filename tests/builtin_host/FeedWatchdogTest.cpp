// A feed's watchdog with no limit (each feed's limit is the watch's settings': watch_settings/).
// When a silence starts and ends is followed through the silence policy (FeedWatchTest).
#include <gtest/gtest.h>

#include "builtin_host/FeedWatchdog.h"

namespace builtin_host {
namespace {

using Change = FeedWatchdog::Change;

TEST(FeedWatchdog, AZeroLimitNeverAlarms) {
    FeedWatchdog off(0, 0);  // a zero limit never alarms
    EXPECT_EQ(off.Check(1'000'000), Change::None);
}

}  // namespace
}  // namespace builtin_host
