// The real executable stopped and started again on the same data: the incidents an operator
// worked on come back through the dashboard with their handler, notes and evidence, the alarm
// for those nobody acknowledged, numbers go on, and the log says when nobody watched; a watch
// killed in the middle of busy traffic loses no line it wrote, and a line cut short is skipped.
#include <gtest/gtest.h>

#include <QDirIterator>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QTcpServer>
#include <map>
#include <set>

#include "SirenwatchRun.h"

namespace e2e {
namespace {

constexpr int kWait_ms = 30000;
constexpr char kToken[] = "e2e-restart-token";
constexpr char kMob[] = "Q7MOB-9>453UU0,WIDE1-1,WIDE2-1:`~SZl I>/\"5\\}Car off the road\n";
constexpr char kXss[] = "Q9XSS>APRS,WIDE1-1:!4531.00N/00912.00E>!EMERGENCY! fell\n";
constexpr char kOne[] = "Q1ONE>APRS:!4529.00N/00910.00E>!EMERGENCY! smoke\n";

// The watch's dashboard on loopback, asked as the page asks.
class Dashboard {
public:
    Dashboard(SirenwatchRun& run, quint16 port) : run_(run), port_(port) {
        net_.setProxy(QNetworkProxy::NoProxy);
    }
    QJsonObject State() { return Ask(net_.get(Request("/api/state"))); }
    QJsonObject Act(const char* action, int incident, const char* note = "") {
        const QJsonObject body{{"action", action},
                               {"incident", QString::number(incident)},
                               {"operator", "Mario"},
                               {"note", note}};
        return Ask(net_.post(Request("/api/action"), QJsonDocument(body).toJson()));
    }
    // The incidents shown, by number.
    std::map<int, QJsonObject> Incidents() {
        std::map<int, QJsonObject> byNumber;
        for (const QJsonValue& i : State()["incidents"].toArray())
            byNumber[i["id"].toString().toInt()] = i.toObject();
        return byNumber;
    }

private:
    QNetworkRequest Request(const QString& path) const {
        QNetworkRequest request(QUrl(QString("http://127.0.0.1:%1%2").arg(port_).arg(path)));
        request.setRawHeader("X-Sirenwatch-Token", kToken);
        request.setHeader(QNetworkRequest::ContentTypeHeader, "application/json");
        return request;
    }
    QJsonObject Ask(QNetworkReply* reply) {
        run_.WaitFor([reply] { return reply->isFinished(); }, kWait_ms);
        const QJsonObject answer = QJsonDocument::fromJson(reply->readAll()).object();
        reply->deleteLater();
        return answer;
    }

    SirenwatchRun& run_;
    quint16 port_;
    QNetworkAccessManager net_;
};

std::vector<QJsonObject> JsonLines(const QStringList& lines, const char* kind) {
    std::vector<QJsonObject> found;
    for (const QString& line : lines) {
        const QJsonObject event = QJsonDocument::fromJson(line.toUtf8()).object();
        if (event["event"] == kind) found.push_back(event);
    }
    return found;
}

// The number of each station's latest incident, from the --json lines.
std::map<QString, int> Numbers(const SirenwatchRun& run) {
    std::map<QString, int> numbers;
    for (const QJsonObject& change : JsonLines(run.OutputLines(), "incident"))
        numbers[change["callsign"].toString()] = change["incident"].toInt();
    return numbers;
}

// The dashboard answers once the watch runs, what it took up included.
bool Started(SirenwatchRun& run, Dashboard& dashboard) {
    return run.WaitFor(
               [&] {
                   return run.Process().state() != QProcess::Running ||
                          !dashboard.State().isEmpty();
               },
               kWait_ms) &&
           run.Process().state() == QProcess::Running;
}

// The dashboard's page beside the run's copy of the executable, and the host's settings that
// serve it.
bool ServeDashboard(SirenwatchRun& run, quint16 port) {
    const QString from = QFileInfo(QString(SIRENWATCH_EXE)).absolutePath() + "/dashboard";
    QDirIterator files(from, QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString file = files.next();
        if (!WriteFile(run.ProgramFolder() + "/dashboard" + file.mid(from.size()), ReadFile(file)))
            return false;
    }
    return WriteHostSettings(run, QString("[Sirenwatch Host]\nDashboard=%1\nDashboardToken=%2\n")
                                      .arg(port)
                                      .arg(kToken)
                                      .toUtf8());
}

bool ErrorsSay(SirenwatchRun& run, const char* text) {
    return run.WaitFor([&] { return run.ErrorsSay(text); }, kWait_ms);
}

TEST(RestartEndToEnd, IncidentsTheirAlarmAndTheNumbersComeBackAfterSigterm) {
    SirenwatchRun run;
    const quint16 port = FreePort();
    ASSERT_TRUE(ServeDashboard(run, port));
    Dashboard dashboard(run, port);
    run.Start({"--stdin", "--json"});
    ASSERT_TRUE(Started(run, dashboard)) << run.Errors();
    run.Process().write(QByteArray(kMob) + kXss + kOne);
    ASSERT_TRUE(run.WaitFor([&] { return Numbers(run).size() == 3; }, kWait_ms)) << run.Errors();
    auto number = Numbers(run);
    const int mob = number["Q7MOB-9"], xss = number["Q9XSS"], one = number["Q1ONE"];
    // A bearing reads the same on the card as on the panel (the emergency line's).
    auto shown = dashboard.Incidents();
    for (const QJsonObject& emergency : JsonLines(run.OutputLines(), "emergency")) {
        const QJsonObject& card = shown[number[emergency["callsign"].toString()]];
        EXPECT_EQ(card["bearing"].toDouble(), emergency["bearing"].toString().toDouble())
            << emergency["callsign"].toString().toStdString();
    }
    EXPECT_TRUE(dashboard.Act("take", mob)["ok"].toBool());
    EXPECT_TRUE(dashboard.Act("note", mob, "called his wife")["ok"].toBool());
    EXPECT_TRUE(dashboard.Act("close", one, "a barbecue")["ok"].toBool());
    // Heard again after closing: a new incident, and the closed one's evidence stays its own.
    run.Process().write(QByteArray(kOne).replace("smoke", "smoke again"));
    ASSERT_TRUE(run.WaitFor([&] { return Numbers(run)["Q1ONE"] != one; }, kWait_ms));
    const int oneAgain = Numbers(run)["Q1ONE"];
    shown = dashboard.Incidents();
    EXPECT_TRUE(shown[one]["evidence"].toString().contains("; 1 packet(s);"))
        << shown[one]["evidence"].toString().toStdString();
    EXPECT_TRUE(shown[oneAgain]["evidence"].toString().contains("; 1 packet(s);"));
    ASSERT_TRUE(run.Terminate());
    EXPECT_EQ(run.ExitCode(), 0) << run.Errors();

    const auto firstRun = run.OutputLines().size();
    run.Start({"--stdin", "--json"});
    ASSERT_TRUE(Started(run, dashboard)) << run.Errors();
    EXPECT_TRUE(ErrorsSay(run, "the watch before stopped at ")) << run.Errors();
    shown = dashboard.Incidents();
    ASSERT_EQ(shown.size(), 4u) << run.Errors();
    EXPECT_EQ(shown[mob]["stateKey"], "being_handled");
    EXPECT_EQ(shown[mob]["operator"], "Mario");
    EXPECT_EQ(shown[mob]["notes"][0]["text"], "called his wife");
    EXPECT_TRUE(shown[mob]["evidence"].toString().contains("Car off the road"));
    EXPECT_EQ(shown[xss]["stateKey"], "new");
    EXPECT_EQ(shown[one]["stateKey"], "closed");
    EXPECT_TRUE(shown[one]["evidence"].toString().contains("; 1 packet(s);"));
    const QJsonObject state = dashboard.State();
    EXPECT_TRUE(state["alarm"].toBool()) << "two incidents nobody acknowledged";
    EXPECT_TRUE(state["watchGap"]["stoppedCleanly"].toBool());
    // Not heard since the start, the open incidents' stations stand on the map with circles.
    QStringList onMap;
    for (const QJsonValue& station : state["stations"].toArray())
        if (station["emergency"].toBool()) onMap << station["callsign"].toString();
    onMap.sort();
    EXPECT_EQ(onMap, (QStringList{"Q1ONE", "Q7MOB-9", "Q9XSS"}));
    EXPECT_EQ(state["circles"].toArray().size(), 3) << "the open incidents' circles";
    const QStringList secondRun = run.OutputLines().mid(firstRun);
    EXPECT_EQ(JsonLines(secondRun, "alarm").at(0)["state"], "on");

    run.Process().write("Q4HIKE-7>APRS:!4548.00N/00859.40E[!EMERGENCY! hurt\n");
    ASSERT_TRUE(run.WaitFor([&] { return Numbers(run).count("Q4HIKE-7") == 1; }, kWait_ms));
    EXPECT_EQ(Numbers(run)["Q4HIKE-7"], oneAgain + 1) << "a number is never given twice";
    ASSERT_TRUE(run.Terminate());

    QStringList watch;
    for (const QJsonObject& line :
         JsonLines(LogLines(run.DataHome() + "/sirenwatch/incidents"), "watch"))
        watch << line["state"].toString() + (line.contains("stopped_cleanly") ? "+" : "");
    EXPECT_EQ(watch, (QStringList{"started", "stopped", "started+", "stopped"}));
}

// The user's command and the desktop are told of a new emergency once: after a restart, a
// station whose incident was taken up open is not new again; one whose incident was closed,
// and a station never heard, are.
TEST(RestartEndToEnd, AStationTakenUpOpenIsNoNewEmergencyAfterARestart) {
    SirenwatchRun run;
    const quint16 port = FreePort();
    ASSERT_TRUE(ServeDashboard(run, port));
    Dashboard dashboard(run, port);
    const QString called = run.DataHome() + "/called";
    const QStringList options{"--stdin", "--json", "--on-emergency",
                              "/bin/sh -c 'echo $SIRENWATCH_CALLSIGN >> " + called + "'"};
    const auto calls = [&called] {
        return QString(ReadFile(called)).split('\n', Qt::SkipEmptyParts);
    };
    run.Start(options);
    ASSERT_TRUE(Started(run, dashboard)) << run.Errors();
    run.Process().write(QByteArray(kMob) + kOne);
    ASSERT_TRUE(
        run.WaitFor([&] { return calls().size() == 2 && Numbers(run).size() == 2; }, kWait_ms))
        << run.Errors();
    ASSERT_TRUE(dashboard.Act("close", Numbers(run)["Q1ONE"], "a barbecue")["ok"].toBool());
    ASSERT_TRUE(run.Terminate());

    const auto firstRun = run.OutputLines().size();
    run.Start(options);
    ASSERT_TRUE(Started(run, dashboard)) << run.Errors();
    run.Process().write(QByteArray(kMob).replace("road", "road, still") +
                        QByteArray(kOne).replace("smoke", "fire") + kXss);
    const auto emergencies = [&] {
        return JsonLines(run.OutputLines().mid(firstRun), "emergency");
    };
    // A command may end before its emergency's line is read here: both are waited for.
    ASSERT_TRUE(
        run.WaitFor([&] { return calls().size() >= 4 && emergencies().size() == 3; }, kWait_ms))
        << run.Errors();
    std::map<QString, bool> isNew;
    for (const QJsonObject& e : emergencies()) isNew[e["callsign"].toString()] = e["new"].toBool();
    EXPECT_EQ(isNew,
              (std::map<QString, bool>{{"Q7MOB-9", false}, {"Q1ONE", true}, {"Q9XSS", true}}));
    ASSERT_TRUE(run.Terminate());
    QStringList told = calls();
    told.sort();  // the commands run side by side
    EXPECT_EQ(told, (QStringList{"Q1ONE", "Q1ONE", "Q7MOB-9", "Q9XSS"}));
}

// Emergencies from many stations among ordinary traffic, and a kill in the middle of them:
// every incident whose opening reached the log comes back, the line cut short at the end is
// skipped with a warning, and the start says since when nobody watched.
TEST(RestartEndToEnd, AKilledWatchLosesNoLineItWroteAndSkipsALineCutShort) {
    SirenwatchRun run;
    const quint16 port = FreePort();
    ASSERT_TRUE(ServeDashboard(run, port));
    Dashboard dashboard(run, port);
    run.Start({"--stdin", "--json"});
    ASSERT_TRUE(Started(run, dashboard)) << run.Errors();
    QByteArray busy;
    for (int i = 0; i < 60; ++i) {
        const QByteArray call = "Q9S" + QByteArray(1, char('A' + i / 26)) + char('A' + i % 26);
        busy += call + ">APRS,WIDE1-1:!4531.00N/00912.00E>!EMERGENCY! fell\n";
        for (int j = 0; j < 20; ++j)
            busy += "Q1DIGI>APNU19,WIDE2-1:!4527.80N/00911.40E#PHG5130/Digipeater " +
                    QByteArray::number(i * 20 + j) + "\n";
    }
    run.Process().write(busy);
    ASSERT_TRUE(run.WaitFor([&] { return Numbers(run).size() >= 20; }, kWait_ms));
    run.Process().kill();
    ASSERT_TRUE(run.WaitForExit(kWait_ms));

    const QString folder = run.DataHome() + "/sirenwatch/incidents";
    std::set<int> written;
    for (const QJsonObject& change : JsonLines(LogLines(folder), "incident"))
        written.insert(change["incident"].toInt());
    ASSERT_GE(written.size(), 20u);
    const QString day = QDir(folder).entryList({"incidents-*.jsonl"}, QDir::Files).last();
    QFile file(folder + "/" + day);
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write(R"({"event":"incident","incident":99,"callsign":"Q9)");
    file.close();

    run.Start({"--stdin", "--json"});
    ASSERT_TRUE(Started(run, dashboard)) << run.Errors();
    EXPECT_TRUE(ErrorsSay(run, "a line cut short, left out")) << run.Errors();
    EXPECT_TRUE(ErrorsSay(run, "the watch before did not stop cleanly")) << run.Errors();
    std::set<int> shown;
    for (const auto& [id, incident] : dashboard.Incidents()) shown.insert(id);
    EXPECT_EQ(shown, written);
    EXPECT_FALSE(dashboard.State()["watchGap"].toObject()["stoppedCleanly"].toBool());
}

}  // namespace
}  // namespace e2e
