// Replaying a file as fast as possible: every line once and in order, read as it goes, in
// slices that leave the event loop its turns.
#include <gtest/gtest.h>

#include <QTest>
#include <QTimer>
#include <fstream>
#include <string>
#include <vector>

#include "fakes/FakePorts.h"
#include "qt_host/feeds/ReplayFeed.h"

namespace {

TEST(ReplayFeed, FastDeliversEveryLineInOrderInSlicesBetweenOtherEvents) {
    fakes::TempDir dir;
    const std::string path = dir.File("capture.tnc2");
    std::vector<std::string> expected;
    {
        std::ofstream file(path, std::ios::binary);
        file << "# a comment\n\n";
        for (int i = 0; i < 50000; ++i) {
            expected.push_back("Q1A>APRS:>line " + std::to_string(i));
            file << (i % 2 ? "2026-12-06T10:00:00Z " : "") << expected.back() << "\r\n";
        }
    }
    qt_host::feeds::ReplayFeed feed(QString::fromStdString(path), true);
    std::vector<std::string> lines;
    QStringList statuses;
    bool ended = false;
    int ticksWhileReplaying = 0;
    feed.SetLineHandler([&](const std::string& line) { lines.push_back(line); });
    feed.SetStatusHandler([&](const QString& status) { statuses << status; });
    feed.SetEndHandler([&] { ended = true; });
    QTimer other;
    QObject::connect(&other, &QTimer::timeout, [&] { ticksWhileReplaying += ended ? 0 : 1; });
    other.start(0);

    feed.Start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return ended; }, 60000));
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(statuses, (QStringList{"replay capture.tnc2 (fast): 50000 lines",
                                     "replay capture.tnc2 (fast): finished, 50000 lines"}));
    EXPECT_GT(ticksWhileReplaying, 0) << "one slice held the event loop to the end";
}

}  // namespace
