// --json from the real executable: every line is one JSON object, the emergencies carry the
// panel's values of the tab-separated lines and the evidence of why they alarmed.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "SirenwatchRun.h"

namespace e2e {
namespace {

constexpr int kRun_ms = 30000;

// A run of the demo traffic that ends by itself at the end of it.
void ExpectDemoRun(SirenwatchRun& run) {
    ASSERT_TRUE(run.WaitForExit(kRun_ms)) << "the run did not end at the end of the traffic";
    EXPECT_EQ(run.ExitStatus(), QProcess::NormalExit);
    EXPECT_EQ(run.ExitCode(), 0) << run.Errors();
    // The demo capture's three emergency frames, from two stations, in its order.
    QStringList reported;
    for (const auto& e : run.Emergencies()) reported << e.value(1);
    EXPECT_EQ(reported, (QStringList{"Q7MOB-9", "Q4HIKE-7", "Q7MOB-9"})) << run.Errors();
    EXPECT_EQ(run.CountLines("ALARM\ton"), 1);
    EXPECT_TRUE(QFile::exists(run.SettingsFile()));
}

std::vector<QJsonObject> JsonEvents(const SirenwatchRun& run) {
    std::vector<QJsonObject> events;
    for (const QString& line : run.OutputLines()) {
        QJsonParseError error{};
        const QJsonDocument doc = QJsonDocument::fromJson(line.toUtf8(), &error);
        EXPECT_TRUE(doc.isObject()) << "not a JSON object: " << line.toStdString();
        events.push_back(doc.object());
    }
    return events;
}

std::vector<QJsonObject> OfKind(const std::vector<QJsonObject>& events, const char* kind) {
    std::vector<QJsonObject> found;
    for (const QJsonObject& e : events)
        if (e["event"] == kind) found.push_back(e);
    return found;
}

// The tab-line run is a first run without a feed named: it sets up the host, which replays the
// demo. It also shows that a replay ends after its last frame; that a start where no login
// session set up a runtime folder (cron, su) says nothing about it; and that a replay, the demo
// too, keeps its made-up emergencies out of the operator's incident log, in a log of its own.
TEST(JsonEndToEnd, DemoEmergenciesAreTheTabLinesTwinsWithTheirEvidence) {
    SirenwatchRun tabs, json;
    QProcessEnvironment env = tabs.Process().processEnvironment();
    env.remove("XDG_RUNTIME_DIR");
    tabs.Process().setProcessEnvironment(env);
    tabs.Start({"--fast"});
    json.Start({"--replay", QString(SIRENWATCH_DEMO), "--fast", "--json"});
    ExpectDemoRun(tabs);
    EXPECT_TRUE(QFile::exists(tabs.DataHome() + "/sirenwatch/host/Uiview32.INI"));
    EXPECT_FALSE(tabs.ErrorsSay("XDG_RUNTIME_DIR")) << tabs.Errors();
    EXPECT_TRUE(LogLines(tabs.DataHome() + "/sirenwatch/incidents").isEmpty());
    EXPECT_FALSE(QFile::exists(tabs.DataHome() + "/sirenwatch/incidents/incident-book.json"))
        << "a replay neither reads nor writes the operator's incidents";
    const QDir replays(tabs.DataHome() + "/sirenwatch/replays");
    const QStringList own = replays.entryList({"demo-*"}, QDir::Dirs);
    ASSERT_EQ(own.size(), 1) << tabs.Errors();
    EXPECT_EQ(LogLines(replays.filePath(own[0])).filter("\"emergency\"").size(), 3);
    ASSERT_TRUE(json.WaitForExit(kRun_ms)) << json.Errors();

    const auto events = JsonEvents(json);
    const auto emergencies = OfKind(events, "emergency");
    const auto lines = tabs.Emergencies();
    ASSERT_EQ(emergencies.size(), 3u) << json.Errors();
    ASSERT_EQ(lines.size(), 3u);
    const char* keys[] = {"callsign", "message",  "beacon",    "received", "distance", "course",
                          "speed",    "latitude", "longitude", "bearing",  "altitude"};
    for (std::size_t i = 0; i < 3; ++i) {
        for (int k = 0; k < 11; ++k) {
            if (k == 3) continue;  // the time of reception differs between the two runs
            EXPECT_EQ(emergencies[i][keys[k]].toString(), lines[i][k + 1]) << keys[k];
        }
    }

    const QJsonObject first = emergencies[0]["evidence"].toObject();
    EXPECT_TRUE(emergencies[0]["new"].toBool());
    EXPECT_EQ(emergencies[0]["unit"], "km");
    EXPECT_EQ(first["cause"], "Mic-E message bits 000 (Emergency)");
    EXPECT_TRUE(first["frame"].toString().startsWith("Q7MOB-9>453UU0,WIDE1-1,WIDE2-1:`"));
    const QJsonObject path = first["path"].toObject();
    EXPECT_EQ(path["digipeaters"].toArray(), (QJsonArray{"WIDE1-1", "WIDE2-1"}));
    EXPECT_EQ(path["heard_from"], "Q7MOB-9");
    EXPECT_EQ(path["via"], "radio");
    EXPECT_EQ(first["count"], 1);
    EXPECT_NEAR(first["latitude_deg"].toDouble(), 45 + 35.50 / 60, 0.01);

    // The second report of the same station: not new, heard twice.
    EXPECT_FALSE(emergencies[2]["new"].toBool());
    EXPECT_EQ(emergencies[2]["evidence"].toObject()["count"], 2);

    EXPECT_EQ(OfKind(events, "alarm").size(), 1u);
    EXPECT_EQ(OfKind(events, "alarm")[0]["state"], "on");
    EXPECT_TRUE(OfKind(events, "position").empty()) << "positions go to the log only";
}

// A station the watch list ignores is listed and logged with the reason but runs no emergency
// command; the one that sounds does, once, though its packet is heard directly and through two
// digipeaters: every copy reaches its JSON line, saying so, and the incident log keeps the
// packet once. The watch of standard input ends at its end; the incident's opening is logged,
// and the export, the same executable run again on the same data folder, says what it wrote
// and where each incident stands.
TEST(JsonEndToEnd, AHeldBackStationIsLoggedButRunsNoCommandAndCopiesAreOnePacket) {
    SirenwatchRun run;
    ASSERT_TRUE(WriteHostSettings(run, "[Watch]\nIgnore=Q7MOB-9:test beacon\n"));
    const QString input = run.DataHome() + "/two.tnc2";
    const QString info = ":!4531.00N/00912.00E>!EMERGENCY! fell\n";
    const QString traffic =
        "Q7MOB-9>453UU0,WIDE1-1:`~SZl I>/\"5\\}Car off the road\n"
        "Q9XSS>APRS,WIDE1-1" +
        info + "Q9XSS>APRS,IR2XX*,WIDE1" + info + "Q9XSS>APRS,IR2XX,IR2YY*" + info;
    ASSERT_TRUE(WriteFile(input, traffic.toUtf8()));
    const QString called = run.DataHome() + "/called";
    run.Process().setStandardInputFile(input);
    run.Start({"--stdin", "--json", "--on-emergency",
               "/bin/sh -c 'echo $SIRENWATCH_CALLSIGN >> " + called + "'"});
    ASSERT_TRUE(run.WaitForExit(kRun_ms)) << run.Errors();

    const auto events = JsonEvents(run);
    const auto emergencies = OfKind(events, "emergency");
    ASSERT_EQ(emergencies.size(), 4u) << run.Errors();
    EXPECT_TRUE(emergencies[1]["new"].toBool());
    EXPECT_FALSE(emergencies[1].contains("copy"));
    const QJsonObject third = emergencies[3];
    EXPECT_TRUE(third["copy"].toBool());
    EXPECT_FALSE(third["new"].toBool());
    EXPECT_EQ(third["evidence"]["heard"], 3);
    EXPECT_EQ(third["evidence"]["heard_via"].toArray(), (QJsonArray{"Q9XSS", "IR2XX", "IR2YY"}));
    EXPECT_EQ(third["evidence"]["count"], 1);

    const auto changes = OfKind(events, "incident");
    ASSERT_EQ(changes.size(), 2u) << run.OutputLines().join('\n').toStdString();
    EXPECT_EQ(changes[0]["callsign"], "Q7MOB-9");
    EXPECT_EQ(changes[0]["to"], "new");
    EXPECT_TRUE(changes[0]["held_back"].toString().contains("test beacon"));
    EXPECT_EQ(changes[1]["held_back"], "");
    const QStringList log = LogLines(run.DataHome() + "/sirenwatch/incidents");
    EXPECT_EQ(log.filter("\"incident\"").size(), 2) << log.join('\n').toStdString();
    EXPECT_EQ(log.filter("\"emergency\"").size(), 2);
    EXPECT_EQ(log.filter("\"watch\"").size(), 2) << "the watch started and stopped";
    EXPECT_EQ(log.size(), 9) << "per station the incident opened, the emergency and its place; "
                                "and the alarm: "
                             << log.join('\n').toStdString();
    ASSERT_TRUE(run.WaitFor([&] { return QFile::exists(called); }, kRun_ms));
    EXPECT_EQ(ReadFile(called), "Q9XSS\n") << run.Errors();

    const QString kml = run.DataHome() + "/out.kml";
    run.Start({"--export", kml}, false);
    ASSERT_TRUE(run.WaitForExit(kRun_ms));
    EXPECT_EQ(run.ExitCode(), 0) << run.Errors();
    EXPECT_EQ(run.OutputLines().last().toStdString(),
              "sirenwatch: 2 emergencies, 0 tracks written to " + kml.toStdString());
    const QByteArray content = ReadFile(kml);
    EXPECT_TRUE(content.contains("incident 1: new")) << content.toStdString();
    EXPECT_TRUE(content.contains("held back: ")) << content.toStdString();
    EXPECT_TRUE(content.contains("EMERGENCY!&quot; in the comment") ||
                content.contains("EMERGENCY!\" in the comment"))
        << content.toStdString();
}

}  // namespace
}  // namespace e2e
