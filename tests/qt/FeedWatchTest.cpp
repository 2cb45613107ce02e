// The silence watchdog on a real socket feed served on loopback, with a clock the test moves:
// what counts as heard, and the map's warning band, counting on while the silence lasts and
// gone with the next arrival. When a silence starts and ends is the watchdog's own test.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include "builtin_host/HostMap.h"
#include "builtin_host/StationList.h"
#include "qt_host/FeedWatch.h"
#include "qt_host/MapView.h"
#include "qt_host/feeds/AprsIsFeed.h"

namespace {

struct WatchedFeed {
    std::int64_t now = 1'800'000'000;
    QTcpServer server;
    std::unique_ptr<qt_host::feeds::AprsIsFeed> feed;
    std::unique_ptr<qt_host::FeedWatch> watch;
    builtin_host::HostMap map;
    builtin_host::StationList stations;
    qt_host::MapView view{map, stations};
    std::vector<std::int64_t> silences;
    int backs = 0;

    explicit WatchedFeed(bool listening) {
        EXPECT_TRUE(server.listen(QHostAddress::LocalHost));
        const quint16 port = server.serverPort();
        if (!listening) server.close();  // nobody there: every connection is refused
        feed =
            std::make_unique<qt_host::feeds::AprsIsFeed>("127.0.0.1", port, "N0CALL", "1.1.1", "");
        watch = std::make_unique<qt_host::FeedWatch>(*feed, 120, [this] { return now; });
        watch->onSilent = [this](std::int64_t silent_s, std::int64_t) {
            silences.push_back(silent_s);
        };
        watch->onStillSilent = [this](std::int64_t silent_s) {
            view.SetWarning(qt_host::SilenceWarningText(feed->Describe(), *watch, silent_s));
        };
        watch->onBack = [this] {
            ++backs;
            view.SetWarning({});
        };
        feed->Start();
    }
    // Moves the clock and lets the watchdog look.
    void After(std::int64_t seconds) {
        now += seconds;
        watch->Tick();
    }
};

TEST(FeedWatch, ServerCommentsAreHeardTheWarningCountsOnAndAFrameClearsIt) {
    WatchedFeed w(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.server.hasPendingConnections(); }, 10000));
    QTcpSocket* peer = w.server.nextPendingConnection();

    w.After(100);
    peer->write("# aprsc 2.1.19 7 Dec 2026 00:00:00 GMT T2TEST 127.0.0.1:14580\r\n");
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.watch->Watchdog().LastHeard() == w.now; }, 10000));

    w.After(120);
    ASSERT_EQ(w.silences, std::vector<std::int64_t>{120});
    const QString heard = QDateTime::fromSecsSinceEpoch(w.now - 120).toString("HH:mm:ss");
    EXPECT_EQ(w.view.Warning(), w.feed->Describe() + " silent for 2 min 00 s, last heard " + heard);
    w.After(5);
    EXPECT_TRUE(w.view.Warning().contains("silent for 2 min 05 s")) << "it counts on";
    w.After(3474);
    EXPECT_TRUE(w.view.Warning().contains("silent for 59 min 59 s"));
    w.After(1);
    EXPECT_TRUE(w.view.Warning().contains("silent for 1 h 00 min"));

    peer->write("N0CALL-9>APRS,TCPIP*,qAC,T2TEST:>back on the air\r\n");
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.backs == 1; }, 10000));
    EXPECT_TRUE(w.view.Warning().isEmpty());
}

TEST(FeedWatch, ARefusedConnectionIsSilenceFromTheStart) {
    WatchedFeed w(false);
    // The refusal comes 100 s after the start: it is not something heard.
    w.now += 100;
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.feed->Status().contains("retrying"); }, 10000));
    w.After(20);
    EXPECT_EQ(w.silences, std::vector<std::int64_t>{120});
    EXPECT_EQ(w.view.Warning(),
              "Nothing heard on " + w.feed->Describe() + " since start (2 min 00 s)");
}

}  // namespace
