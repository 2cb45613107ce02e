// What a watch left alone for months relies on: its lines' priorities in the journal, and an
// incident log that keeps only the days asked for.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "app/JournalLevels.h"
#include "incidents/IncidentLog.h"

namespace app {
namespace {

TEST(JournalLevel, EmergenciesAreCriticalSilenceAWarning) {
    struct Case {
        const char* line;
        bool errorStream;
        int level;
    };
    for (const Case& c : {
             Case{"EMERGENCY\tQ7MOB-9\tEMERGENCY\tCar off the road", false, 2},
             Case{"ALARM\ton", false, 2},
             Case{"ALARM\toff", false, 5},
             Case{"FEED\tsilent\t900\tKISS 127.0.0.1:8001", false, 4},
             Case{"FEED\tback", false, 5},
             Case{R"({"callsign":"Q7MOB-9","event":"emergency","new":true})", false, 2},
             Case{R"({"event":"alarm","state":"on"})", false, 2},
             Case{R"({"event":"feed","state":"silent"})", false, 4},
             Case{R"({"event":"feed","state":"back"})", false, 5},
             Case{R"({"event":"position","callsign":"EMERGENCY"})", false, 6},
             Case{"Q1ALFA EMERGENCY", false, 6},  // only the first word counts
             Case{"feed: connected to 127.0.0.1:8001", true, 6},
             Case{"sirenwatch: host set-up: Cannot write", true, 4},
         }) {
        EXPECT_EQ(JournalLevel(c.line, c.errorStream), c.level) << c.line;
    }
}

TEST(IncidentLog, KeepsTheDaysAskedForAndRemovesOlderFiles) {
    QTemporaryDir dir;
    const QString folder = dir.path() + "/incidents";
    QDir().mkpath(folder);
    for (const char* day : {"2026-09-07", "2026-09-08", "2026-12-06"}) {
        QFile file(folder + "/" + incidents::IncidentFileName(QString(day) + "T00:00:00Z"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    QFile(folder + "/notes.txt").open(QIODevice::WriteOnly);  // not ours: stays

    incidents::IncidentLog log(folder);
    log.KeepDays(90);  // 2026-12-07 and the 89 days before: from 2026-09-09 on
    ASSERT_TRUE(
        log.Append({.time_s = 1796637600, .what = incidents::AlarmOn{}}));  // 2026-12-07T10:00Z
    EXPECT_EQ(
        QDir(folder).entryList(QDir::Files),
        (QStringList{"incidents-2026-12-06.jsonl", "incidents-2026-12-07.jsonl", "notes.txt"}));

    log.KeepDays(0);  // everything kept
    log.RemoveOld("2027-12-31");
    EXPECT_EQ(QDir(folder).entryList(QDir::Files).size(), 3);
}

}  // namespace
}  // namespace app
