// The TNC links on the machine itself: an AGWPE server of the test's own on loopback, the
// APRS-IS keep-alive, and a serial KISS TNC played by a pseudo-terminal that is unplugged
// and plugged back in.
#include <gtest/gtest.h>
#include <pty.h>
#include <unistd.h>

#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <filesystem>

#include "decode/Agwpe.h"
#include "decode/Ax25.h"
#include "decode/Kiss.h"
#include "fakes/FakePorts.h"
#include "qt_host/feeds/AgwpeFeed.h"
#include "qt_host/feeds/AprsIsFeed.h"
#include "qt_host/feeds/SerialKissFeed.h"

namespace {

using namespace std::string_literals;

const char kOrdinary[] = "IW2ABC>APRS,WIDE2-1:!4530.00N/00915.00E-Home station";
const char kEmergency[] = "N0CALL-9>423W1T,WIDE1-1*:`c0ooZO>/]\"6)}EMERGENCY test";

std::string Ax25(const char* tnc2) {
    return decode::Tnc2ToAx25(tnc2).value_or("");
}

std::string RawReport(const std::string& ax25) {
    return decode::AgwpeEncode({0, 'K', 0, "", "", "\0"s + ax25});
}

struct Collected {
    std::vector<std::string> lines;
    QStringList statuses;
    QStringList link;  // "down: reason", "up"
    void Listen(qt_host::feeds::Feed& feed) {
        feed.SetLineHandler([this](const std::string& line) { lines.push_back(line); });
        feed.SetStatusHandler([this](const QString& status) { statuses << status; });
        feed.SetLinkHandler(
            [this](bool up, const QString& reason) { link << (up ? "up" : "down: " + reason); });
    }
    bool Said(const QString& text) const { return statuses.filter(text).size() > 0; }
};

QTcpSocket* NextClient(QTcpServer& server) {
    if (!QTest::qWaitFor([&] { return server.hasPendingConnections(); }, 10000)) return nullptr;
    return server.nextPendingConnection();
}

// The client asks for raw frames; only UI frames of raw reports become lines (frames cut
// anywhere are AgwpeTest's); a stream out of step is dropped and the link made again.
TEST(AgwpeFeed, AsksForRawFramesReadsThemAndRestartsAStreamOutOfStep) {
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    qt_host::feeds::AgwpeFeed feed("127.0.0.1", server.serverPort());
    Collected got;
    got.Listen(feed);
    feed.Start();
    QTcpSocket* peer = NextClient(server);
    ASSERT_NE(peer, nullptr);
    auto* socket = feed.findChild<QTcpSocket*>();
    ASSERT_NE(socket, nullptr);
    EXPECT_EQ(socket->socketOption(QAbstractSocket::LowDelayOption).toInt(), 1) << "Nagle is on";

    std::string notUi = Ax25(kOrdinary);
    notUi[14 + 7] = '\x3F';  // a SABM: a connected-mode frame, not UI
    const std::string stream = decode::AgwpeEncode({0, 'R', 0, "", "", "\2\0\0\0\0\0\0\0"s}) +
                               RawReport(Ax25(kOrdinary)) + RawReport(notUi) +
                               decode::AgwpeEncode({0, 'U', 0, "A", "B", "monitor text"}) +
                               RawReport(Ax25(kEmergency));
    peer->write(stream.data(), qint64(stream.size()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return got.lines.size() == 2; }, 10000));
    EXPECT_EQ(got.lines, (std::vector<std::string>{kOrdinary, kEmergency}));
    EXPECT_EQ(feed.Discarded(), 1u);

    peer->write(std::string(36, '\xFF').c_str(), 36);  // a data length of 4 GB
    QTcpSocket* again = NextClient(server);
    ASSERT_NE(again, nullptr) << got.statuses.join('|').toStdString();
    EXPECT_TRUE(got.Said("not AGWPE, retrying in 1 s")) << got.statuses.join('|').toStdString();
    ASSERT_TRUE(QTest::qWaitFor([&] { return again->bytesAvailable() >= 36; }, 10000));
    EXPECT_EQ(again->readAll().toStdString(), decode::AgwpeRawMonitorRequest());
    again->write(QByteArray::fromStdString(RawReport(Ax25(kOrdinary))));
    ASSERT_TRUE(QTest::qWaitFor([&] { return got.lines.size() == 3; }, 10000));
}

// A server's comment is something heard, for the silence watchdog (that it is no line is the
// APRS-IS receiver's test in FramingTest).
TEST(AprsIsFeed, HearsServerCommentsAndSaysSomethingNowAndThenSoTheServerKeepsTheLink) {
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    qt_host::feeds::AprsIsFeed feed("127.0.0.1", server.serverPort(), "N0CALL", "1.1.1", "",
                                    nullptr, 30);
    int heard = 0;
    feed.SetActivityHandler([&] { ++heard; });
    feed.Start();
    QTcpSocket* peer = NextClient(server);
    ASSERT_NE(peer, nullptr);
    peer->write("# aprsc 2.1.19 7 Dec 2026 00:00:00 GMT T2TEST 127.0.0.1:14580\r\n");
    QStringList received;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            while (peer->canReadLine()) received << QString::fromLatin1(peer->readLine());
            return received.size() >= 3 && heard > 0;
        },
        10000));
    EXPECT_EQ(received[1], "# Sirenwatch 1.1.1 listening\r\n");
    EXPECT_EQ(received[2], received[1]);
}

// A pseudo-terminal stands in for the TNC's serial adapter; the device's name is a link
// that, like a /dev/serial/by-id name, disappears while the TNC is unplugged. Gives the TNC's
// end of the line, or -1.
int PlugIn(const std::string& link) {
    int tnc = -1, line = -1;
    char name[256];
    if (openpty(&tnc, &line, name, nullptr, nullptr) != 0) return -1;
    ::close(line);  // the feed opens it by name
    std::filesystem::create_symlink(name, link);
    return tnc;
}
void Unplug(const std::string& link, int tnc) {
    std::filesystem::remove(link);
    ::close(tnc);
}
bool Send(int tnc, const std::string& bytes) {
    return ::write(tnc, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
}

TEST(SerialKissFeed, FindsTheTncWhenItIsPluggedInAndAgainAfterItWasUnplugged) {
    fakes::TempDir dir;
    const std::string device = dir.File("ttyTNC");
    qt_host::feeds::SerialKissFeed feed(QString::fromStdString(device), 9600, nullptr, 50);
    Collected got;
    got.Listen(feed);
    feed.Start();
    EXPECT_TRUE(got.Said("trying again every 0.05 s")) << got.statuses.join('|').toStdString();

    int tnc = PlugIn(device);
    ASSERT_GE(tnc, 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return got.statuses.last().endsWith(": open"); }, 10000));
    ASSERT_TRUE(Send(tnc, decode::KissEncode(Ax25(kEmergency))));
    ASSERT_TRUE(QTest::qWaitFor([&] { return got.lines.size() == 1; }, 10000));
    EXPECT_EQ(got.lines[0], kEmergency);

    const auto opened = got.statuses.size();
    Unplug(device, tnc);
    ASSERT_TRUE(QTest::qWaitFor([&] { return got.statuses.size() > opened; }, 10000));
    // Told in words of its own, not the port's stale system error ("File exists").
    EXPECT_EQ(
        got.statuses.mid(opened).join('|').toStdString(),
        "KISS " + device + " at 9600 bd: no such device (unplugged?), trying again every 0.05 s");
    tnc = PlugIn(device);
    ASSERT_GE(tnc, 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return got.statuses.last().endsWith(": open"); }, 10000))
        << got.statuses.join('|').toStdString();
    ASSERT_TRUE(Send(tnc, decode::KissEncode(Ax25(kOrdinary))));
    ASSERT_TRUE(QTest::qWaitFor([&] { return got.lines.size() == 2; }, 10000));
    EXPECT_EQ(got.lines[1], kOrdinary);
    Unplug(device, tnc);
    EXPECT_EQ(got.link.join('|').toStdString(),
              "down: no such device (unplugged?)|up|down: no such device (unplugged?)|up");
}

}  // namespace
