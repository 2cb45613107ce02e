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

TEST(JsonEndToEnd, DemoEmergenciesAreTheTabLinesTwinsWithTheirEvidence) {
    SirenwatchRun tabs, json;
    tabs.Start({"--replay", QString(SIRENWATCH_DEMO), "--fast"});
    json.Start({"--replay", QString(SIRENWATCH_DEMO), "--fast", "--json"});
    ASSERT_TRUE(tabs.WaitForExit(kRun_ms) && json.WaitForExit(kRun_ms)) << json.Errors();

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

// The watch writes its incident log in the data folder; --export reads it back as GPX.
TEST(JsonEndToEnd, TheDemoLeavesAnIncidentLogThatExportsToGpx) {
    SirenwatchRun run;
    run.Start({"--replay", QString(SIRENWATCH_DEMO), "--fast"});
    ASSERT_TRUE(run.WaitForExit(kRun_ms)) << run.Errors();
    const QString folder = run.DataHome() + "/sirenwatch/incidents";
    const QStringList logs = QDir(folder).entryList({"incidents-*.jsonl"}, QDir::Files);
    ASSERT_EQ(logs.size(), 1) << run.Errors();

    // The exporter is the same executable, run again with the same data folder.
    const QString gpx = run.DataHome() + "/out.gpx";
    run.Start({"--export", gpx}, false);
    ASSERT_TRUE(run.WaitForExit(kRun_ms));
    EXPECT_EQ(run.ExitCode(), 0) << run.Errors();
    QFile file(gpx);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray content = file.readAll();
    EXPECT_EQ(content.count("<wpt "), 3);
    EXPECT_EQ(content.count("<trk>"), 2) << "Q7MOB-9 and Q4HIKE-7";
}

}  // namespace
}  // namespace e2e
