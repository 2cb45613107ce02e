// The silence policy over the feed's watchdog, with a clock the test moves: silent at the
// limit and once a silence, an event and the siren once, the map's warning band counting on while
// the silence lasts, both gone with the next arrival, and the count starting again from it. What
// a feed counts as heard is the feeds' test (TncLinksTest); the lines printed are the stream's.
#include <gtest/gtest.h>

#include <QDateTime>

#include "builtin_host/HostMap.h"
#include "builtin_host/StationList.h"
#include "fakes/FakePorts.h"
#include "feeds/Feed.h"
#include "net/UiQueue.h"
#include "qt/QtTimers.h"
#include "qt_host/MapView.h"
#include "watch/FeedSilence.h"

namespace {

// A feed that says something only when the test says so; what it says crosses at once.
class QuietSource final : public feeds::Source {
public:
    explicit QuietSource(net::UiQueue& queue) : Source(queue, "KISS 127.0.0.1:8001") {}
    void Start() override {}
    void Stop() override {}
};

class QuietFeed {
public:
    feeds::Feed& operator*() { return feed_; }
    void Hear() {
        Tell([&] { source_->Out().Heard(); });
    }
    void Down(const std::string& reason) {
        Tell([&] { source_->Out().LinkDown(reason); });
    }
    void Up() {
        Tell([&] { source_->Out().LinkUp(); });
    }

private:
    template <typename Say>
    void Tell(Say say) {
        say();
        source_->Out().Flush();
        queue_.Drain();
    }
    net::UiQueue queue_;
    std::shared_ptr<QuietSource> source_ = std::make_shared<QuietSource>(queue_);
    feeds::Feed feed_{source_};
};

struct WatchedFeed {
    std::int64_t now = 1'800'000'000;
    QuietFeed feed;
    builtin_host::HostMap map;
    builtin_host::StationList stations;
    qt_host::MapView view{map, stations};
    incidents::Stream events;
    std::vector<incidents::What> told;
    fakes::RecordingSound siren;
    qt::QtTimers timers;
    std::unique_ptr<watch::FeedWatch> watch = watch::WatchFeed(
        *feed, 120, events, timers,
        {.warn = [this](const std::string& text) { view.SetWarning(QString::fromStdString(text)); },
         .siren = [this] { siren.Play("lowtemp.wav"); }},
        [this] { return now; });

    WatchedFeed() {
        events.Subscribe([this](const incidents::Event& e) { told.push_back(e.what); });
    }
    // Moves the clock and lets the watchdog look.
    void After(std::int64_t seconds) {
        now += seconds;
        watch->Tick();
    }
};

TEST(FeedWatch, TheWarningCountsOnAndAnArrivalClearsIt) {
    WatchedFeed w;
    w.After(100);
    w.feed.Hear();
    w.After(120);
    ASSERT_EQ(w.told.size(), 1u);
    const auto& silent = std::get<incidents::FeedSilent>(w.told[0]);
    EXPECT_EQ(silent.feed, "KISS 127.0.0.1:8001");
    EXPECT_EQ(silent.silent_s, 120);
    EXPECT_EQ(silent.lastHeard_s, w.now - 120);
    const QString heard = QDateTime::fromSecsSinceEpoch(w.now - 120).toString("HH:mm:ss");
    EXPECT_EQ(w.view.Warning(), "KISS 127.0.0.1:8001 silent for 2 min 00 s, last heard " + heard);
    w.After(5);
    EXPECT_TRUE(w.view.Warning().contains("silent for 2 min 05 s")) << "it counts on";
    w.After(3474);
    EXPECT_TRUE(w.view.Warning().contains("silent for 59 min 59 s"));
    w.After(1);
    EXPECT_TRUE(w.view.Warning().contains("silent for 1 h 00 min"));
    EXPECT_EQ(w.siren.played, std::vector<std::string>{"lowtemp.wav"}) << "once a silence";
    w.feed.Hear();
    EXPECT_TRUE(w.view.Warning().isEmpty());
    ASSERT_EQ(w.told.size(), 2u);
    EXPECT_EQ(std::get<incidents::FeedBack>(w.told[1]).feed, "KISS 127.0.0.1:8001");
    w.After(119);
    EXPECT_EQ(w.told.size(), 2u) << "the count starts again at the arrival";
    w.After(1);
    EXPECT_EQ(w.told.size(), 3u) << "and the next silence is told too";
}

TEST(FeedWatch, AFeedNeverHeardIsSilentFromTheStart) {
    WatchedFeed w;
    w.After(120);
    EXPECT_EQ(w.view.Warning(), "Nothing heard on KISS 127.0.0.1:8001 since start (2 min 00 s)");
}

// A link that goes down is told at once, not at the silence limit, and stays on the band
// while the silence counts on; told once however often it is tried again.
TEST(FeedWatch, ALinkDownIsToldAtOnceApartFromSilence) {
    WatchedFeed w;
    w.feed.Down("Connection refused");
    w.feed.Down("Connection refused");
    ASSERT_EQ(w.told.size(), 1u);
    EXPECT_EQ(std::get<incidents::FeedDown>(w.told[0]).reason, "Connection refused");
    EXPECT_EQ(w.view.Warning(), "KISS 127.0.0.1:8001 is down: Connection refused");
    w.After(120);
    EXPECT_EQ(w.told.size(), 2u) << "silent as well";
    EXPECT_EQ(w.view.Warning(), "KISS 127.0.0.1:8001 is down: Connection refused");
    w.feed.Up();
    ASSERT_EQ(w.told.size(), 3u);
    EXPECT_TRUE(std::holds_alternative<incidents::FeedUp>(w.told[2]));
    EXPECT_TRUE(w.view.Warning().isEmpty());
}

}  // namespace
