// The silence watchdog on the Qt event loop, with a clock the test moves: the map's warning
// band, counting on while the silence lasts and gone with the next arrival. When a silence
// starts and ends is the watchdog's own test (FeedWatchdogTest); what a feed counts as heard
// is the feeds' (TncLinksTest); the whole path is the end-to-end run's.
#include <gtest/gtest.h>

#include <QDateTime>

#include "builtin_host/HostMap.h"
#include "builtin_host/StationList.h"
#include "qt_host/FeedWatch.h"
#include "qt_host/MapView.h"

namespace {

// A feed that says something only when the test says so.
class QuietFeed final : public qt_host::feeds::Feed {
public:
    void Start() override {}
    QString Describe() const override { return "KISS 127.0.0.1:8001"; }
    void Hear() { NoteActivity(); }
};

struct WatchedFeed {
    std::int64_t now = 1'800'000'000;
    QuietFeed feed;
    qt_host::FeedWatch watch{feed, 120, [this] { return now; }};
    builtin_host::HostMap map;
    builtin_host::StationList stations;
    qt_host::MapView view{map, stations};
    std::vector<std::int64_t> silences;

    WatchedFeed() {
        watch.onSilent = [this](std::int64_t silent_s, std::int64_t) {
            silences.push_back(silent_s);
        };
        watch.onStillSilent = [this](std::int64_t silent_s) {
            view.SetWarning(qt_host::SilenceWarningText(feed.Describe(), watch, silent_s));
        };
        watch.onBack = [this] { view.SetWarning({}); };
    }
    // Moves the clock and lets the watchdog look.
    void After(std::int64_t seconds) {
        now += seconds;
        watch.Tick();
    }
};

TEST(FeedWatch, TheWarningCountsOnAndAnArrivalClearsIt) {
    WatchedFeed w;
    w.After(100);
    w.feed.Hear();
    w.After(120);
    ASSERT_EQ(w.silences, std::vector<std::int64_t>{120});
    const QString heard = QDateTime::fromSecsSinceEpoch(w.now - 120).toString("HH:mm:ss");
    EXPECT_EQ(w.view.Warning(), "KISS 127.0.0.1:8001 silent for 2 min 00 s, last heard " + heard);
    w.After(5);
    EXPECT_TRUE(w.view.Warning().contains("silent for 2 min 05 s")) << "it counts on";
    w.After(3474);
    EXPECT_TRUE(w.view.Warning().contains("silent for 59 min 59 s"));
    w.After(1);
    EXPECT_TRUE(w.view.Warning().contains("silent for 1 h 00 min"));
    w.feed.Hear();
    EXPECT_TRUE(w.view.Warning().isEmpty());
}

TEST(FeedWatch, AFeedNeverHeardIsSilentFromTheStart) {
    WatchedFeed w;
    w.After(120);
    EXPECT_EQ(w.view.Warning(), "Nothing heard on KISS 127.0.0.1:8001 since start (2 min 00 s)");
}

}  // namespace
