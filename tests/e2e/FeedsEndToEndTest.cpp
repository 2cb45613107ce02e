// The real executable, headless, fed through each transport by servers of the test's own
// on 127.0.0.1: it must report each emergency with the panel's values, survive a dropped
// connection, and end cleanly through its normal close path.
#include <gtest/gtest.h>
#include <pty.h>
#include <sched.h>
#include <unistd.h>

#include <QDir>
#include <QTcpServer>
#include <QTcpSocket>
#include <memory>

#include "SirenwatchRun.h"
#include "decode/Agwpe.h"
#include "decode/Ax25.h"
#include "decode/Kiss.h"

namespace e2e {
namespace {

// A Mic-E emergency (message bits 000).
const char kEmergency[] = "N0CALL-9>423W1T,WIDE1-1:`c0ooZO>/]\"6)}EMERGENCY test";
const char kSecondEmergency[] = "N0CALL-7>423W1T,WIDE1-1:`c0ooZO>/]\"6)}EMERGENCY again";
const char kOrdinary[] = "IW2ABC>APRS,WIDE2-1:!4530.00N/00915.00E-Home station";
constexpr int kStep_ms = 15000;  // generous per step: the machine may be busy compiling

std::string Kiss(const char* tnc2) {
    const auto frame = decode::Tnc2ToAx25(tnc2);
    EXPECT_TRUE(frame.has_value()) << tnc2;
    return decode::KissEncode(frame.value_or(""));
}

// Sends bytes in pieces with pauses between them, so the receiver sees them in separate reads.
void SendInChunks(SirenwatchRun& run, QTcpSocket* peer, const std::string& bytes, int pieces) {
    const std::size_t size = bytes.size() / pieces + 1;
    for (std::size_t at = 0; at < bytes.size(); at += size) {
        peer->write(bytes.data() + at, static_cast<qint64>(std::min(size, bytes.size() - at)));
        peer->flush();
        run.WaitFor([] { return false; }, 60);
    }
}

// The panel's values are checked where the host drives the program; here the frame only has
// to come through the transport whole and leave one line of the usual shape.
void ExpectFirstEmergency(SirenwatchRun& run) {
    ASSERT_TRUE(run.WaitFor([&] { return run.Emergencies().size() == 1; }, kStep_ms))
        << run.Errors();
    const QStringList e = run.Emergencies()[0];
    ASSERT_EQ(e.size(), 12) << e.join('|').toStdString();
    EXPECT_EQ(e[1], "N0CALL-9");
    EXPECT_TRUE(e[3].contains("EMERGENCY test")) << e[3].toStdString();
}

// The end every run shares: SIGTERM closes like the host closing, settings are written, and
// a live socket feed must not call into its destroyed owner on the way out.
void ExpectCleanEnd(SirenwatchRun& run) {
    ASSERT_TRUE(run.Terminate()) << run.Errors();
    EXPECT_EQ(run.ExitStatus(), QProcess::NormalExit);
    EXPECT_EQ(run.ExitCode(), 0) << run.Errors();
    EXPECT_TRUE(ReadFile(run.SettingsFile()).contains("CircleColor"));
}

class Server {
public:
    Server() { EXPECT_TRUE(server_.listen(QHostAddress::LocalHost)); }
    QString Endpoint() const { return QString("127.0.0.1:%1").arg(server_.serverPort()); }
    QTcpSocket* WaitForClient(SirenwatchRun& run) {
        run.WaitFor([this] { return server_.hasPendingConnections(); }, kStep_ms);
        QTcpSocket* peer = server_.nextPendingConnection();
        EXPECT_NE(peer, nullptr) << run.Errors();
        return peer;
    }
    // The server goes away until the program has tried again in vain, then comes back on the
    // same port; gives the program's new link.
    QTcpSocket* DropAndComeBack(QTcpSocket* peer, SirenwatchRun& run) {
        const quint16 port = server_.serverPort();
        peer->abort();
        server_.close();
        EXPECT_TRUE(run.WaitFor([&] { return run.ErrorsSay("retrying in 2 s"); }, kStep_ms));
        EXPECT_TRUE(server_.listen(QHostAddress::LocalHost, port));
        return WaitForClient(run);
    }

private:
    QTcpServer server_;
};

// The link is made again after the TNC goes away, each failed try waiting longer (1 s, 2 s).
TEST(EndToEnd, KissEmergencySplitAcrossChunksAndAfterReconnect) {
    Server server;
    SirenwatchRun run;
    run.Start({"--kiss", server.Endpoint()});
    QTcpSocket* peer = server.WaitForClient(run);
    ASSERT_NE(peer, nullptr);
    // An ordinary station, an over-long frame that must be thrown away, then the emergency
    // cut into pieces, the cut falling inside the frame.
    std::string oversize = decode::KissEncode(std::string(1000, 'x'));
    SendInChunks(run, peer, Kiss(kOrdinary) + oversize + Kiss(kEmergency), 7);
    ExpectFirstEmergency(run);
    EXPECT_EQ(run.CountLines("ALARM\ton"), 1);

    peer = server.DropAndComeBack(peer, run);
    ASSERT_NE(peer, nullptr);
    EXPECT_TRUE(run.ErrorsSay("retrying in 1 s")) << run.Errors();
    SendInChunks(run, peer, Kiss(kSecondEmergency), 3);
    ASSERT_TRUE(run.WaitFor([&] { return run.Emergencies().size() == 2; }, kStep_ms))
        << run.Errors();
    EXPECT_EQ(run.Emergencies()[1][1], "N0CALL-7");
    EXPECT_EQ(run.CountLines("ALARM\ton"), 1) << "the alarm was still on: no second start";
    ExpectCleanEnd(run);
}

TEST(EndToEnd, AprsIsLoginWithTheFilter) {
    Server server;
    SirenwatchRun run;
    run.Start({"--aprs-is", server.Endpoint(), "--filter", "r/42/-71/100"});
    QTcpSocket* peer = server.WaitForClient(run);
    ASSERT_NE(peer, nullptr);
    peer->write("# aprsc 2.1 test server\r\n");
    ASSERT_TRUE(run.WaitFor([&] { return peer->canReadLine(); }, kStep_ms));
    const QString login = QString::fromLatin1(peer->readLine());
    EXPECT_TRUE(login.startsWith("user N0CALL pass -1 vers Sirenwatch ")) << login.toStdString();
    EXPECT_TRUE(login.endsWith(" filter r/42/-71/100\r\n")) << login.toStdString();
    SendInChunks(run, peer,
                 std::string("# logresp N0CALL unverified, server T2TEST\r\n") + kOrdinary +
                     "\r\n" + kEmergency + "\r\n",
                 5);
    ExpectFirstEmergency(run);
    ExpectCleanEnd(run);
}

// Direwolf, a real soft TNC, decodes the emergency from audio made by its own generator and
// serves it over AGWPE. It listens on every interface, so the test moves itself (and so its
// children) into a network namespace of its own with only loopback in it.
TEST(EndToEnd, AgwpeFromDirewolfDecodingAudio) {
    ASSERT_EQ(unshare(CLONE_NEWNET), 0) << "a private network namespace needs root";
    ASSERT_EQ(QProcess::execute("ip", {"link", "set", "lo", "up"}), 0);
    QTemporaryDir dir(QString(SIRENWATCH_E2E_TMP) + "/direwolf-XXXXXX");
    const QString message = dir.filePath("message.txt"), config = dir.filePath("direwolf.conf");
    ASSERT_TRUE(WriteFile(message, kEmergency));  // a line end would go on the air as well
    // Audio on standard input, AGWPE on port 8000, no KISS server.
    ASSERT_TRUE(WriteFile(config,
                          "ADEVICE stdin null\nARATE 44100\nCHANNEL 0\nMYCALL N0CALL\n"
                          "AGWPORT 8000\nKISSPORT 0\n"));
    // Direwolf's own frame-to-audio tool.
    ASSERT_EQ(
        QProcess::execute("gen_packets", {"-r", "44100", "-o", dir.filePath("frame.wav"), message}),
        0);
    const QByteArray samples = ReadFile(dir.filePath("frame.wav")).mid(44);  // after the header

    QProcess direwolf;
    direwolf.setProcessChannelMode(QProcess::MergedChannels);
    direwolf.start("direwolf", {"-c", config, "-t", "0", "-q", "d"});
    ASSERT_TRUE(direwolf.waitForStarted(10000));
    SirenwatchRun run;
    run.Start({"--agwpe", "127.0.0.1"});  // the AGWPE port is 8000 when left out
    ASSERT_TRUE(
        run.WaitFor([&] { return run.ErrorsSay("AGWPE 127.0.0.1:8000: connected"); }, kStep_ms))
        << run.Errors() << direwolf.readAll().toStdString();
    // Direwolf takes the request for raw frames a while after it accepts the link: the
    // frame goes on the air again, each time with a second of silence after it, until heard.
    for (int i = 0; i < 10 && run.Emergencies().empty(); ++i) {
        direwolf.write(samples + QByteArray(88200, '\0'));
        run.WaitFor([&] { return !run.Emergencies().empty(); }, 1500);
    }
    ExpectFirstEmergency(run);
    ExpectCleanEnd(run);
    direwolf.kill();
    direwolf.waitForFinished(5000);
}

// A KISS TNC on a serial line, played by a pseudo-terminal, through the real executable.
TEST(EndToEnd, SerialKissTnc) {
    int tnc = -1, line = -1;
    char name[256];
    ASSERT_EQ(openpty(&tnc, &line, name, nullptr, nullptr), 0);
    SirenwatchRun run;
    run.Start({"--serial", QString("%1:1200").arg(name)});
    const QString opened = QString("KISS %1 at 1200 bd: open").arg(name);
    ASSERT_TRUE(run.WaitFor([&] { return run.ErrorsSay(opened.toUtf8().constData()); }, kStep_ms))
        << run.Errors();
    const std::string bytes = Kiss(kOrdinary) + Kiss(kEmergency);
    ASSERT_EQ(write(tnc, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    ExpectFirstEmergency(run);
    ExpectCleanEnd(run);
    close(line);
    close(tnc);
}

// The command line's own rules are checked without the executable; what only the executable
// shows is how it ends: --version prints and succeeds; a mistake, or something named that
// cannot work, fails with code 2 and says why before any watch starts.
TEST(EndToEnd, VersionAndWhatCannotWorkEndTheRunAtOnce) {
    SirenwatchRun version;
    version.Start({"--version"}, false);
    ASSERT_TRUE(version.WaitForExit(kStep_ms));
    EXPECT_EQ(version.ExitCode(), 0);
    EXPECT_TRUE(version.OutputLines().value(0).startsWith("sirenwatch "));

    const struct {
        QStringList args;
        const char* said;
    } cases[] = {
        {{"--kiss"}, "--kiss needs a value"},
        {{"--replay", "/nonexistent/capture.tnc2"}, "cannot read the replay file"},
        {{"--replay", "/"}, "it is a folder"},
        {{"--export", "x.gpx", "--since", "2026-12-07T25:00"}, "--since: not a date or time"},
        {{"--stdin", "--on-emergency", "no-such-notifier -x"}, "no such program"},
    };
    std::vector<std::unique_ptr<SirenwatchRun>> runs;
    for (const auto& c : cases) {
        runs.push_back(std::make_unique<SirenwatchRun>());
        runs.back()->Start(c.args);
    }
    for (std::size_t i = 0; i < runs.size(); ++i) {
        SirenwatchRun& run = *runs[i];
        SCOPED_TRACE(cases[i].args.join(' ').toStdString());
        ASSERT_TRUE(run.WaitForExit(kStep_ms));
        EXPECT_EQ(run.ExitCode(), 2) << run.Errors();
        EXPECT_TRUE(run.ErrorsSay(cases[i].said)) << run.Errors();
        EXPECT_FALSE(QDir(run.DataHome() + "/sirenwatch/incidents").exists());
    }
}

}  // namespace
}  // namespace e2e
