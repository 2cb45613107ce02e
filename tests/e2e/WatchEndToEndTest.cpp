// What the operator is told, through the real executable: the test log beside it, a station the
// watch list holds back that never sounds, an emergency without a position that claims no
// distance, one rule for each shown number; the dashboard's acknowledgement in the operator's
// name, a siren that can always be silenced, a feed that is down told at once; the dashboard's
// cards and circles as the program builds them.
#include <gtest/gtest.h>

#include <QDate>
#include <QDirIterator>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <map>

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

QJsonObject State(quint16 port) {
    QByteArray body;
    Http(port, "GET", "/api/state", {}, &body);
    return QJsonDocument::fromJson(body).object();
}

std::map<QString, QJsonObject> ByCallsign(const QJsonArray& items) {
    std::map<QString, QJsonObject> found;
    for (const auto& item : items) {
        const QJsonObject object = item.toObject();
        found[object["callsign"].toString()] = object;
    }
    return found;
}

// What the dashboard shows as the program builds it: each card's grade, its held-back reason,
// the comment as sent, the place from home in the add-on's unit and language; a station's later
// frames without an emergency still move its card, and a Mic-E message stands it down; circles
// only around the incidents shown, in the add-on's colour and size.
TEST(WatchEndToEnd, TheDashboardShowsTheIncidentsAsHeardInTheAddOnsUnitAndLanguage) {
    SirenwatchRun run;
    const quint16 dashboard = FreePort(), kiss = FreePort();
    ASSERT_TRUE(WriteFile(run.SettingsFile(),
                          "[SetUp]\nVersion=1.11\nUnit=2\nLanguage=1\n"
                          "CircleColor=255\nCircleWidth=5\n"));
    ASSERT_TRUE(WriteHostSettings(run,
                                  "[Watch]\nIgnore=Q9XSS:test beacon\n"
                                  "[Sirenwatch Host]\nDashboard=" +
                                      QByteArray::number(dashboard) +
                                      "\nDashboardToken=e2e-token\n"));
    CopyPage(run);
    QTcpServer tncServer;
    ASSERT_TRUE(tncServer.listen(QHostAddress::LocalHost, kiss));
    run.Start({"--kiss", QString("127.0.0.1:%1").arg(kiss), "--json"});
    ASSERT_TRUE(run.WaitFor([&] { return tncServer.hasPendingConnections(); }, kStep_ms))
        << run.Errors();
    QTcpSocket* tnc = tncServer.nextPendingConnection();
    const auto send = [&](const char* frame) {
        const std::string bytes = Kiss(frame);
        tnc->write(bytes.data(), static_cast<qint64>(bytes.size()));
        tnc->flush();
    };
    send("Q7MOB-9>453UU0,WIDE1-1:`~SZl I>/\"5\\}Car off the road");
    send("Q9XSS>APRS:!4531.00N/00912.00E>!EMERGENCY! <b>help</b>, leg broken");
    send("Q8MOV>APRS:!4531.00N/00912.00E>on my way");
    ASSERT_TRUE(run.WaitFor(
        [&] { return ByCallsign(State(dashboard)["stations"].toArray()).count("Q8MOV"); },
        kStep_ms));
    QJsonObject state = State(dashboard);
    EXPECT_EQ(state["unit"], "mi");
    EXPECT_EQ(state["language"], "it");
    auto cards = ByCallsign(state["incidents"].toArray());
    ASSERT_EQ(cards.size(), 2u) << "a frame without an emergency opens none";
    EXPECT_EQ(cards["Q7MOB-9"]["grade"], "codice Mic-E Emergency");
    EXPECT_EQ(cards["Q7MOB-9"]["heldBack"], "");
    const QJsonObject held = cards["Q9XSS"];
    EXPECT_EQ(held["grade"], "!EMERGENCY! nel commento");
    EXPECT_EQ(held["state"], "nuovo");
    EXPECT_TRUE(held["heldBack"].toString().contains("test beacon"))
        << held["heldBack"].toString().toStdString();
    EXPECT_EQ(held["comment"], "!EMERGENCY! <b>help</b>, leg broken");
    EXPECT_NEAR(held["lat"].toDouble(), 45.5167, 1e-4);
    EXPECT_NEAR(held["distance"].toDouble(), 1.46 / 1.609344, 0.02) << "in miles";
    // The panel's bearing: at the add-on's hundredths of a degree the station is due north.
    EXPECT_EQ(held["bearing"].toDouble(), 0);
    QByteArray refusal;  // refusals in the add-on's language as well
    Http(dashboard, "POST", "/api/action",
         R"({"action":"close","operator":"Anna","incident":")" + held["id"].toString().toUtf8() +
             "\"}",
         &refusal);
    EXPECT_TRUE(QString::fromUtf8(refusal).contains("per chiudere serve una nota"))
        << refusal.toStdString();
    Http(dashboard, "POST", "/api/action",
         R"({"action":"note","operator":"Anna","note":"x","incident":"Q0NONE"})", &refusal);
    EXPECT_TRUE(QString::fromUtf8(refusal).contains("nessun intervento con quel numero"))
        << refusal.toStdString();

    // The book takes a later frame as news only from the next second of the clock on.
    const auto nextSecond = [&] {
        const double heard = cards["Q7MOB-9"]["lastHeard"].toDouble();
        return run.WaitFor([&] { return State(dashboard)["now"].toDouble() > heard; }, kStep_ms);
    };
    ASSERT_TRUE(nextSecond());
    send("Q7MOB-9>APRS:!4531.00N/00912.00E>moving on");
    ASSERT_TRUE(run.WaitFor(
        [&] {
            return qAbs(ByCallsign(State(dashboard)["incidents"].toArray())["Q7MOB-9"]["lat"]
                            .toDouble() -
                        45.5167) < 1e-3;
        },
        kStep_ms))
        << "a frame without an emergency moves the station's card";
    cards = ByCallsign(State(dashboard)["incidents"].toArray());
    ASSERT_TRUE(nextSecond());
    send("Q7MOB-9>SU3UU0:`~SZl I>/\"5\\}");  // a Mic-E message, not Emergency
    EXPECT_TRUE(run.WaitFor(
        [&] {
            return ByCallsign(State(dashboard)["incidents"].toArray())["Q7MOB-9"]["stateKey"] ==
                   "stood_down";
        },
        kStep_ms));

    const int stations = 250;
    for (int n = 0; n < stations; ++n) {
        const QByteArray frame = QString("Q%1>APRS:!45%2.%3N/009%4.00E>!EMERGENCY! help")
                                     .arg(n)
                                     .arg(n % 60, 2, 10, QChar('0'))
                                     .arg(n / 60, 2, 10, QChar('0'))
                                     .arg(n % 50, 2, 10, QChar('0'))
                                     .toUtf8();
        send(frame.constData());
    }
    ASSERT_TRUE(run.WaitFor(
        [&] { return JsonEvents(run, "emergency").size() == std::size_t(2 + stations); },
        2 * kStep_ms));
    const QJsonArray circles = State(dashboard)["circles"].toArray();
    EXPECT_EQ(circles.size(), 200) << "around the incidents shown and no more";
    EXPECT_EQ(circles[0].toObject()["color"], "#ff0000") << "in the add-on's colour";
    EXPECT_NEAR(circles[0].toObject()["radiusKm"].toDouble(), 2.0 / 60 * 111.2, 0.01) << "and size";
    ASSERT_TRUE(run.Terminate()) << run.Errors();
}

}  // namespace
}  // namespace e2e
