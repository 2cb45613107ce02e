// What the operator is told, through the real executable: the test log beside it, a station the
// watch list holds back that never sounds, an emergency without a position that claims no
// distance, one rule for each shown number; the dashboard's acknowledgement in the operator's
// name, a siren that can always be silenced, and a feed that is down told at once.
#include <gtest/gtest.h>

#include <QDate>
#include <QDirIterator>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpServer>
#include <QTcpSocket>

#include "SirenwatchRun.h"
#include "decode/Ax25.h"
#include "decode/Kiss.h"

namespace e2e {
namespace {

constexpr int kStep_ms = 15000;

std::vector<QJsonObject> JsonEvents(const SirenwatchRun& run, const char* kind) {
    std::vector<QJsonObject> found;
    for (const QString& line : run.OutputLines()) {
        const QJsonObject event = QJsonDocument::fromJson(line.toUtf8()).object();
        if (event["event"] == kind) found.push_back(event);
    }
    return found;
}

// The events of one kind, as "callsign" for emergencies and "state" for the alarm and feed,
// in their order, so the order of emergencies and alarms can be read at once.
QStringList Story(const SirenwatchRun& run) {
    QStringList story;
    for (const QString& line : run.OutputLines()) {
        const QJsonObject e = QJsonDocument::fromJson(line.toUtf8()).object();
        if (e["event"] == "emergency") story << e["callsign"].toString();
        if (e["event"] == "alarm") story << "alarm " + e["state"].toString();
    }
    return story;
}

// The watch list holds the first two stations back (one ignored, one beyond the radius); the
// third has no position, so it sounds, with no distance and no bearing to claim. Test mode
// writes the day's log beside the executable.
TEST(WatchEndToEnd, HeldBackStationsStaySilentAndAStationWithoutPositionClaimsNoDistance) {
    SirenwatchRun run;
    ASSERT_TRUE(WriteFile(run.SettingsFile(), "[SetUp]\nTest=1\n"));
    ASSERT_TRUE(WriteHostSettings(run, "[Watch]\nIgnore=Q7MOB-9:test beacon\nAlarmRadiusKm=5\n"));
    const QString input = run.DataHome() + "/three.tnc2";
    ASSERT_TRUE(WriteFile(input,
                          "Q7MOB-9>453UU0,WIDE1-1:`~SZl I>/\"5\\}Car off the road\n"
                          "Q8FAR>APRS,WIDE1-1:!4550.20N/00912.00E>088/001!EMERGENCY! far\n"
                          "Q5NOFIX>423A1T,WIDE1-1:`c0ooZO>/\n"));
    const QString called = run.DataHome() + "/called";
    run.Process().setStandardInputFile(input);
    run.Start({"--stdin", "--json", "--on-emergency",
               "/bin/sh -c 'echo $SIRENWATCH_DISTANCE $SIRENWATCH_BEARING >> " + called +
                   "; head -n 1 >> " + called + "'"});
    ASSERT_TRUE(run.WaitForExit(kStep_ms)) << run.Errors();

    EXPECT_EQ(Story(run), (QStringList{"Q7MOB-9", "Q8FAR", "Q5NOFIX", "alarm on"}))
        << "held back, they do not sound; " << run.Errors();
    const auto emergencies = JsonEvents(run, "emergency");
    ASSERT_EQ(emergencies.size(), 3u);
    const QJsonObject far = emergencies[1], unplaced = emergencies[2];
    EXPECT_EQ(far["speed"], "1.9") << "1 knot, in km/h to the tenth";
    const auto changes = JsonEvents(run, "incident");
    ASSERT_EQ(changes.size(), 3u);
    EXPECT_EQ(
        changes[1]["held_back"].toString(),
        "outside the alarm area (" + far["distance"].toString() + " km from home, beyond 5 km)")
        << "the panel's distance and the reason's are the same number";
    EXPECT_EQ(unplaced["latitude"], "-----");
    EXPECT_EQ(unplaced["distance"], "-----");
    EXPECT_EQ(unplaced["bearing"], "-----");
    ASSERT_TRUE(run.WaitFor([&] { return ReadFile(called).count('\n') == 2; }, kStep_ms));
    EXPECT_EQ(ReadFile(called), "----- -----\nEMERGENCY Q5NOFIX, position unknown\n");

    const QString logName = QDate::currentDate().toString("dd_MM_yyyy") + ".log";
    const QByteArray log = ReadFile(run.ProgramFolder() + "/" + logName);
    EXPECT_EQ(log.count("\r\n"), 3) << "beside the executable: " << log.toStdString();
    EXPECT_TRUE(log.contains("Q5NOFIX>423A1T"));
    EXPECT_FALSE(QFile::exists(run.DataHome() + "/sirenwatch/" + logName));
}

// One request to the dashboard; the reply's status line, and its body in `body`.
QByteArray Http(quint16 port, const QByteArray& method, const QByteArray& path,
                const QByteArray& content, QByteArray* body) {
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!socket.waitForConnected(kStep_ms)) return {};
    socket.write(method + " " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" +
                 "X-Sirenwatch-Token: e2e-token\r\nContent-Type: application/json\r\n" +
                 "Content-Length: " + QByteArray::number(content.size()) + "\r\n\r\n" + content);
    QByteArray reply;
    while (socket.waitForReadyRead(kStep_ms)) {
        reply += socket.readAll();
        const auto head = reply.indexOf("\r\n\r\n");
        const auto length = reply.indexOf("Content-Length: ");
        if (head < 0 || length < 0) continue;
        const int size =
            reply.mid(length + 16, reply.indexOf("\r\n", length) - length - 16).toInt();
        if (reply.size() >= head + 4 + size) {
            *body = reply.mid(head + 4, size);
            break;
        }
    }
    return reply.left(reply.indexOf("\r\n"));
}

QJsonObject FeedState(quint16 port) {
    QByteArray body;
    Http(port, "GET", "/api/state", {}, &body);
    return QJsonDocument::fromJson(body).object()["feed"].toObject();
}

quint16 FreePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

// The dashboard's page among the files beside the executable.
void CopyPage(const SirenwatchRun& run) {
    const QString from = QFileInfo(QString(SIRENWATCH_EXE)).absolutePath() + "/dashboard";
    QDirIterator files(from, QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString file = files.next();
        const QString to = run.ProgramFolder() + "/dashboard" + file.mid(from.size());
        QDir().mkpath(QFileInfo(to).path());
        QFile::copy(file, to);
    }
}

std::string Kiss(const char* tnc2) {
    return decode::KissEncode(decode::Tnc2ToAx25(tnc2).value_or(""));
}

class Watch {
public:
    explicit Watch(SirenwatchRun& run) : run_(run) {}
    // Sends a station's emergency on the KISS link and waits for the incident it opens: gives
    // its id.
    QString Emergency(QTcpSocket& tnc, const char* frame, const QString& callsign) {
        const qsizetype before = Opened(callsign).size();
        const std::string bytes = Kiss(frame);
        tnc.write(bytes.data(), static_cast<qint64>(bytes.size()));
        tnc.flush();
        run_.WaitFor([&] { return Opened(callsign).size() > before; }, kStep_ms);
        const QStringList ids = Opened(callsign);
        return ids.size() > before ? ids.last() : QString();
    }
    // The incidents opened for a station so far.
    QStringList Opened(const QString& callsign) {
        QStringList ids;
        for (const QJsonObject& c : JsonEvents(run_, "incident"))
            if (c["callsign"] == callsign && c["action"] == "open")
                ids << QString::number(c["incident"].toInt());
        return ids;
    }
    bool AlarmIs(const char* state, int times) {
        return run_.WaitFor(
            [&] {
                int seen = 0;
                for (const QJsonObject& a : JsonEvents(run_, "alarm")) seen += a["state"] == state;
                return seen == times;
            },
            kStep_ms);
    }
    // The operator of the incident's last change of this kind.
    QString Who(const QString& id, const char* action) {
        QString who;
        for (const QJsonObject& c : JsonEvents(run_, "incident"))
            if (QString::number(c["incident"].toInt()) == id && c["action"] == action)
                who = c["operator"].toString();
        return who;
    }

private:
    SirenwatchRun& run_;
};

// The KISS TNC is not there at first: the link is down at once, with the system's reason, on
// the dashboard, in the JSON lines and in the journal; then it comes, and later goes again.
// While it is up: an acknowledgement is recorded in the dashboard operator's name; closing
// every incident without acknowledging silences the siren; a closed incident's station in
// emergency again sounds it; an acknowledgement that names no incident silences it.
TEST(WatchEndToEnd, DashboardAcknowledgesByNameAlwaysSilencesAndShowsADownFeedAtOnce) {
    SirenwatchRun run;
    const quint16 dashboard = FreePort(), kiss = FreePort();
    ASSERT_TRUE(WriteHostSettings(run, QByteArray("[Sirenwatch Host]\nDashboard=") +
                                           QByteArray::number(dashboard) +
                                           "\nDashboardToken=e2e-token\n"));
    CopyPage(run);
    run.Start({"--kiss", QString("127.0.0.1:%1").arg(kiss), "--json"});

    ASSERT_TRUE(run.WaitFor([&] { return !JsonEvents(run, "feed").empty(); }, kStep_ms))
        << run.Errors();
    EXPECT_EQ(JsonEvents(run, "feed")[0]["state"], "down");
    EXPECT_EQ(JsonEvents(run, "feed")[0]["reason"], "Connection refused");
    EXPECT_TRUE(run.ErrorsSay("is down: Connection refused")) << run.Errors();
    ASSERT_TRUE(run.WaitFor([&] { return FeedState(dashboard)["down"].toBool(); }, kStep_ms));
    EXPECT_EQ(FeedState(dashboard)["problem"], "Connection refused");

    QTcpServer tncServer;
    ASSERT_TRUE(tncServer.listen(QHostAddress::LocalHost, kiss));
    ASSERT_TRUE(run.WaitFor([&] { return tncServer.hasPendingConnections(); }, kStep_ms));
    QTcpSocket* tnc = tncServer.nextPendingConnection();
    ASSERT_TRUE(run.WaitFor([&] { return !FeedState(dashboard)["down"].toBool(); }, kStep_ms));
    EXPECT_EQ(JsonEvents(run, "feed").back()["state"], "up");

    Watch watch(run);
    QByteArray body;
    const QString first = watch.Emergency(*tnc, "Q7MOB-9>453UU0:`~SZl I>/\"5\\}help", "Q7MOB-9");
    ASSERT_TRUE(watch.AlarmIs("on", 1));
    EXPECT_EQ(
        Http(dashboard, "POST", "/api/action",
             R"({"action":"acknowledge","operator":"Alice","incident":")" + first.toUtf8() + "\"}",
             &body),
        "HTTP/1.1 200 OK")
        << body.toStdString();
    ASSERT_TRUE(watch.AlarmIs("off", 1));
    EXPECT_EQ(watch.Who(first, "acknowledge"), "Alice");

    const QString second =
        watch.Emergency(*tnc, "Q9XSS>APRS:!4531.00N/00912.00E>!EMERGENCY! fell", "Q9XSS");
    ASSERT_TRUE(watch.AlarmIs("on", 2));
    EXPECT_EQ(Http(dashboard, "POST", "/api/action",
                   R"({"action":"close","operator":"Bob","note":"false alarm","incident":")" +
                       second.toUtf8() + "\"}",
                   &body),
              "HTTP/1.1 200 OK")
        << body.toStdString();
    EXPECT_TRUE(watch.AlarmIs("off", 2)) << "nothing left unacknowledged: the siren stops";

    // The closed incident's station in emergency again: a new incident, and it sounds.
    const QString third =
        watch.Emergency(*tnc, "Q9XSS>APRS:!4531.00N/00912.00E>!EMERGENCY! fell again", "Q9XSS");
    ASSERT_FALSE(third.isEmpty());
    EXPECT_NE(third, second);
    ASSERT_TRUE(watch.AlarmIs("on", 3)) << run.OutputLines().join('\n').toStdString();
    EXPECT_EQ(Http(dashboard, "POST", "/api/action",
                   R"({"action":"acknowledge","operator":"Carla"})", &body),
              "HTTP/1.1 200 OK")
        << body.toStdString();
    EXPECT_TRUE(watch.AlarmIs("off", 3));
    EXPECT_EQ(watch.Who(third, "acknowledge"), "Carla");

    tnc->abort();
    tncServer.close();
    ASSERT_TRUE(
        run.WaitFor([&] { return JsonEvents(run, "feed").back()["state"] == "down"; }, kStep_ms));
    EXPECT_TRUE(FeedState(dashboard)["down"].toBool());
    ASSERT_TRUE(run.Terminate()) << run.Errors();
}

}  // namespace
}  // namespace e2e
