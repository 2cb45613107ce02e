// The timers port on Qt's loop: a timer runs once, a cancelled one never, and one may start the
// next from inside its own run.
#include <gtest/gtest.h>

#include <QTest>
#include <algorithm>
#include <vector>

#include "qt/QtTimers.h"

namespace {

TEST(QtTimers, RunOnceUnlessCancelledAndMayStartTheNext) {
    qt::QtTimers timers;
    std::vector<int> ran;
    timers.After(30, [&] { ran.push_back(2); });
    const auto cancelled = timers.After(10, [&] { ran.push_back(0); });
    timers.After(20, [&] {
        ran.push_back(1);
        timers.After(0, [&] { ran.push_back(3); });
    });
    timers.Cancel(cancelled);
    timers.Cancel(cancelled);  // twice is no fault
    ASSERT_TRUE(QTest::qWaitFor([&] { return ran.size() == 3; }, 5000));
    std::sort(ran.begin(), ran.end());
    EXPECT_EQ(ran, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(timers.Waiting(), 0u);
}

}  // namespace
