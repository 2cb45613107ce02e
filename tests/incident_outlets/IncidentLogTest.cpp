// The incident log and its export: lines survive a crash in the middle of another, files are
// per day, and the GPX and KML read back with an XML parser give the points and tracks logged.
// A full disk loses no line and is told, with the system's reason, at each stop and recovery.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/resource.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <csignal>
#include <cstring>
#include <fstream>

#include "fakes/FileText.h"
#include "fakes/LogCapture.h"
#include "incident_outlets/IncidentExport.h"
#include "incident_outlets/IncidentLog.h"
#include "incident_outlets/JsonLines.h"

namespace incidents {
namespace {

std::int64_t At(const char* time) {
    return QDateTime::fromString(time, Qt::ISODate).toSecsSinceEpoch();
}

Event Emergency(const char* time, const char* call, double lat, double lon, bool copy = false) {
    incidents::Emergency e{.copy = copy};
    e.panel.text[0] = call;
    e.evidence = Evidence{.frame = call + std::string(">APRS:<b>&\"help\"</b>\x01"),
                          .cause = "Mic-E message bits 000 (Emergency)",
                          .place = Place{lat, lon}};
    return {At(time), e};
}

Event Position(const char* time, const char* call, double lat, double lon) {
    return {At(time), incidents::Position{call, {lat, lon}}};
}

QStringList Lines(const QString& path) {
    return QString::fromStdString(fakes::ReadAll(path.toStdString()))
        .split('\n', Qt::SkipEmptyParts);
}

// A log of two days: Q7MOB-9 in emergency and moving, Q4HIKE-7 the next day.
struct LoggedWatch {
    QTemporaryDir dir;
    IncidentLog log{dir.path() + "/incidents"};
    LoggedWatch() {
        for (const Event& e : {Emergency("2026-12-06T23:59:00Z", "Q7MOB-9", 45.5, 9.1),
                               Position("2026-12-06T23:59:00Z", "Q7MOB-9", 45.5, 9.1),
                               Position("2026-12-07T00:01:00Z", "Q7MOB-9", 45.51, 9.12),
                               Event{At("2026-12-07T00:02:00Z"), Acknowledged{}},
                               Emergency("2026-12-07T08:00:00Z", "Q4HIKE-7", 45.8, 8.99),
                               Position("2026-12-07T08:00:00Z", "Q4HIKE-7", 45.8, 8.99)})
            EXPECT_TRUE(log.Append(e));
    }
    QString File(const char* day) const { return log.Folder() + "/incidents-" + day + ".jsonl"; }
};

TEST(IncidentLog, OneFilePerDayOneObjectPerLineAndACutLineLosesOnlyItself) {
    LogCapture logged;
    LoggedWatch w;
    EXPECT_TRUE(logged.lines.empty()) << "writes that succeed say nothing";
    EXPECT_EQ(Lines(w.File("2026-12-06")).size(), 2);
    ASSERT_EQ(Lines(w.File("2026-12-07")).size(), 4);
    for (const QString& line : Lines(w.File("2026-12-07")))
        EXPECT_TRUE(QJsonDocument::fromJson(line.toUtf8()).isObject()) << line.toStdString();
    for (const char* day : {"2026-12-06", "2026-12-07"})
        EXPECT_EQ(fakes::ReadAll(w.File(day).toStdString()).find("\n\n"), std::string::npos)
            << "no empty line between two lines of " << day;

    // A crash in the middle of a line leaves it without its end; the next line starts anew.
    QFile file(w.File("2026-12-07"));
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write("{\"event\":\"posi");
    file.close();
    ASSERT_TRUE(w.log.Append(Position("2026-12-07T09:00:00Z", "Q4HIKE-7", 45.81, 8.98)));
    // A copy of a packet heard before is no new event.
    EXPECT_TRUE(w.log.Append(Emergency("2026-12-07T09:00:01Z", "Q4HIKE-7", 45.81, 8.98, true)));
    const QStringList lines = Lines(w.File("2026-12-07"));
    ASSERT_EQ(lines.size(), 6);
    EXPECT_EQ(fakes::ReadAll(w.File("2026-12-07").toStdString()).find("\n\n"), std::string::npos);
    EXPECT_TRUE(QJsonDocument::fromJson(lines.last().toUtf8()).isObject());
    const IncidentHistory history = ReadIncidents(w.log.Folder(), std::nullopt);
    EXPECT_EQ(history.unreadableLines, 1);
    EXPECT_EQ(history.tracks.at("Q4HIKE-7").size(), 2u);
}

// A power cut must not take an emergency or an incident's change that was reported written;
// positions and the rest wait for the next of those, off the frame's path.
TEST(IncidentLog, EmergenciesAndChangesReachTheDiskBeforeTheyCountAsWritten) {
    LoggedWatch w;
    EXPECT_EQ(w.log.SyncedLines(), 2u) << "the two emergencies, not the positions nor the ack";
    Change opened;
    opened.incident = 1;
    opened.callsign = "Q7MOB-9";
    opened.time_s = At("2026-12-07T09:00:00Z");
    ASSERT_TRUE(w.log.Append({opened.time_s, IncidentChange{opened}}));
    ASSERT_TRUE(w.log.Append(Position("2026-12-07T09:00:05Z", "Q7MOB-9", 45.5, 9.1)));
    EXPECT_TRUE(w.log.Append(Emergency("2026-12-07T09:00:06Z", "Q7MOB-9", 45.5, 9.1, true)));
    EXPECT_EQ(w.log.SyncedLines(), 3u) << "the change; a copy is not written at all";
}

TEST(IncidentLog, AFolderThatCannotBeMadeIsToldNotFatal) {
    QTemporaryDir dir;
    QFile blocker(dir.path() + "/file");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    IncidentLog log(dir.path() + "/file/incidents");
    LogCapture logged;
    EXPECT_FALSE(log.Append(Position("2026-12-07T09:00:00Z", "Q4HIKE-7", 45.81, 8.98)));
    EXPECT_FALSE(log.Append(Position("2026-12-07T09:01:00Z", "Q4HIKE-7", 45.82, 8.98)));
    ASSERT_EQ(logged.lines.size(), 1u) << "told once";
    EXPECT_EQ(logged.lines[0].first, platform::Level::Warning);
    EXPECT_NE(
        logged.lines[0].second.find("cannot be written: " + std::string(std::strerror(ENOTDIR))),
        std::string::npos)
        << logged.lines[0].second;
}

// A folder on a file system that fills up and has room again: a small tmpfs where the test
// may mount one (as root), else a file size limit standing in for it.
class FullDisk {
public:
    FullDisk() {
        mounted_ = ::mount("tmpfs", Bytes(dir_.path()), "tmpfs", MS_NOSUID | MS_NODEV,
                           "size=64k,mode=0700") == 0;
        if (!mounted_) {
            ::getrlimit(RLIMIT_FSIZE, &roomy_);
            oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails instead
        }
    }
    ~FullDisk() {
        if (mounted_) {
            ::umount2(Bytes(dir_.path()), MNT_DETACH);
        } else {
            MakeRoom();
            std::signal(SIGXFSZ, oldHandler_);
        }
    }
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;

    QString Folder() const { return dir_.path(); }
    // What the system says when a write does not fit.
    std::string Reason() const { return std::strerror(mounted_ ? ENOSPC : EFBIG); }

    // No room left but what the log's last page (or the limit) still takes: a line or two.
    void Fill(const QString& logFile) {
        if (!mounted_) {
            rlimit full = roomy_;
            full.rlim_cur = rlim_t(QFileInfo(logFile).size() + 600);
            ::setrlimit(RLIMIT_FSIZE, &full);
            return;
        }
        std::ofstream filler(FillerPath().toStdString(), std::ios::binary);
        const std::string block(4096, 'x');
        while (filler.write(block.data(), std::streamsize(block.size())) && filler.flush()) {
        }
    }
    void MakeRoom() {
        if (mounted_)
            QFile::remove(FillerPath());
        else
            ::setrlimit(RLIMIT_FSIZE, &roomy_);
    }

private:
    static const char* Bytes(const QString& path) {
        static QByteArray bytes;
        bytes = QFile::encodeName(path);
        return bytes.constData();
    }
    QString FillerPath() const { return dir_.path() + "/filler"; }

    QTemporaryDir dir_;
    bool mounted_ = false;
    rlimit roomy_{};
    void (*oldHandler_)(int) = SIG_DFL;
};

TEST(IncidentLog, AFullDiskLosesNoLineSaysWhyAndSaysSoAgainAfterEachRecovery) {
    FullDisk disk;
    IncidentLog log(disk.Folder() + "/incidents");
    const QString file = log.Folder() + "/incidents-2026-12-07.jsonl";
    std::size_t healthChanges = 0;
    log.SetHealthListener([&healthChanges] { ++healthChanges; });
    std::vector<std::string> shown;  // each emergency's callsign, as the watch showed them
    const auto nextEmergency = [&shown] {
        shown.push_back("Q" + std::to_string(shown.size()) + "MOB-9");
        return Emergency("2026-12-07T10:00:00Z", shown.back().c_str(), 45.5, 9.1);
    };
    LogCapture logged;
    ASSERT_TRUE(log.Append(nextEmergency()));
    for (int stop = 0; stop < 2; ++stop) {
        disk.Fill(file);
        while (log.Health().writing && shown.size() < 400) log.Append(nextEmergency());
        ASSERT_FALSE(log.Health().writing) << "the disk did not fill";
        for (int gap = 0; gap < 8; ++gap) EXPECT_FALSE(log.Append(nextEmergency()));
        EXPECT_EQ(log.Health().problem, disk.Reason());
        EXPECT_GE(log.Health().waiting, 9u);
        log.Retry();  // still full: the lines keep waiting, nothing is said again
        disk.MakeRoom();
        const std::size_t changes = healthChanges;
        log.Retry();
        EXPECT_TRUE(log.Health().writing);
        EXPECT_EQ(log.Health().waiting, 0u);
        EXPECT_GT(healthChanges, changes) << "the dashboard hears of the recovery";
    }
    ASSERT_EQ(logged.lines.size(), 4u) << "each stop and each recovery is told once";
    for (std::size_t i = 0; i < logged.lines.size(); ++i) {
        EXPECT_EQ(logged.lines[i].first, platform::Level::Warning);
        const std::string expected =
            i % 2 == 0 ? "cannot be written: " + disk.Reason() : "is written again";
        EXPECT_NE(logged.lines[i].second.find(expected), std::string::npos)
            << logged.lines[i].second;
    }
    // An emergency shown is an emergency logged: each one whole, once, in its order.
    const QStringList lines = Lines(file);
    ASSERT_EQ(std::size_t(lines.size()), shown.size());
    for (std::size_t i = 0; i < shown.size(); ++i) {
        EXPECT_TRUE(QJsonDocument::fromJson(lines[qsizetype(i)].toUtf8()).isObject()) << i;
        EXPECT_TRUE(lines[qsizetype(i)].contains(QString::fromStdString(shown[i]))) << i;
    }
}

TEST(IncidentLog, WhenTooManyLinesWaitTheOldestAreGivenUpAndThatIsTold) {
    QTemporaryDir dir;
    QFile blocker(dir.path() + "/data");  // a file where the log's folder should be
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    IncidentLog log(dir.path() + "/data/incidents");
    log.SetMaxWaiting(3);
    LogCapture logged;
    for (int minute = 0; minute < 5; ++minute) {
        const std::string time = "2026-12-07T09:0" + std::to_string(minute) + ":00Z";
        EXPECT_FALSE(log.Append(Position(time.c_str(), "Q4HIKE-7", 45 + minute, 8.98)));
    }
    EXPECT_EQ(log.Health().problem, std::strerror(ENOTDIR));
    EXPECT_EQ(log.Health().waiting, 3u);
    EXPECT_EQ(log.Health().lost, 2u);
    ASSERT_EQ(logged.lines.size(), 2u) << "the stop, then the first line given up";
    EXPECT_NE(logged.lines[1].second.find("3 lines wait"), std::string::npos);

    blocker.remove();
    log.Retry();
    ASSERT_EQ(logged.lines.size(), 3u);
    EXPECT_NE(logged.lines[2].second.find("2 older line(s) were lost"), std::string::npos)
        << logged.lines[2].second;
    const QStringList lines = Lines(log.Folder() + "/incidents-2026-12-07.jsonl");
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[0].contains("47")) << "the newest three are kept: " << lines[0].toStdString();
}

TEST(IncidentLog, KeepsTheDaysAskedForAndRemovesOlderFiles) {
    LoggedWatch w;
    for (const char* name : {"incidents-2026-09-08.jsonl", "notes.txt"})  // notes: not ours
        QFile(w.log.Folder() + "/" + name).open(QIODevice::WriteOnly);
    IncidentLog log(w.log.Folder());  // the next run
    log.KeepDays(90);                 // 2026-12-07 and the 89 days before: from 2026-09-09 on
    ASSERT_TRUE(log.Append({At("2026-12-07T10:00:00Z"), AlarmOn{}}));
    EXPECT_EQ(
        QDir(w.log.Folder()).entryList(QDir::Files),
        (QStringList{"incidents-2026-12-06.jsonl", "incidents-2026-12-07.jsonl", "notes.txt"}));

    log.KeepDays(0);  // everything kept
    log.RemoveOld("2027-12-31");
    EXPECT_EQ(QDir(w.log.Folder()).entryList(QDir::Files).size(), 3);
}

// An export read back with an XML parser: element texts by "container/element" ("wpt/name",
// "trk/name", "Placemark/coordinates"), the track points, and the root's namespace.
struct XmlContent {
    std::map<QString, QStringList> texts;
    std::vector<std::pair<double, double>> trackPoints;
    QString rootNamespace;
};

XmlContent ReadXml(const QString& path) {
    XmlContent c;
    QXmlStreamReader xml(QByteArray::fromStdString(fakes::ReadAll(path.toStdString())));
    QString container;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        const QString name = xml.name().toString();
        if (c.rootNamespace.isEmpty()) c.rootNamespace = xml.namespaceUri().toString();
        if (QStringList{"metadata", "wpt", "trk", "Document", "Placemark"}.contains(name))
            container = name;
        if (name == "trkpt")
            c.trackPoints.emplace_back(xml.attributes().value("lat").toDouble(),
                                       xml.attributes().value("lon").toDouble());
        if (QStringList{"name", "desc", "coordinates"}.contains(name))
            c.texts[container + '/' + name] << xml.readElementText();
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    return c;
}

TEST(IncidentExport, GpxHasTheEmergencyPointsAndTracksAndSinceCutsEarlierOnes) {
    LoggedWatch w;
    const QString all = w.dir.path() + "/all.gpx";
    ASSERT_TRUE(ExportIncidents(w.log.Folder(), all, std::nullopt));
    XmlContent c = ReadXml(all);
    EXPECT_EQ(c.rootNamespace, "http://www.topografix.com/GPX/1/1");
    EXPECT_EQ(c.texts["wpt/name"], (QStringList{"Q7MOB-9", "Q4HIKE-7"}));
    EXPECT_EQ(c.texts["wpt/desc"].value(0),
              "Mic-E message bits 000 (Emergency)\nQ7MOB-9>APRS:<b>&\"help\"</b>\uFFFD");
    EXPECT_EQ(c.texts["trk/name"], QStringList{"Q7MOB-9"}) << "one place is no track";
    EXPECT_EQ(c.trackPoints, (std::vector<std::pair<double, double>>{{45.5, 9.1}, {45.51, 9.12}}));

    // Since midnight, each station has one place left: no track, and none counted.
    const QString file = w.dir.path() + "/later.gpx";
    EXPECT_EQ(ExportIncidents(w.log.Folder(), file, ParseSince("2026-12-07T00:00:00Z")),
              "1 emergency, 0 tracks written to " + file);
    XmlContent l = ReadXml(file);
    EXPECT_EQ(l.texts["wpt/name"], QStringList{"Q4HIKE-7"});
    EXPECT_FALSE(l.texts.contains("trk/name"));
}

TEST(IncidentExport, KmlHasPlacemarksWithLonLatCoordinates) {
    LoggedWatch w;
    const QString file = w.dir.path() + "/out.kml";
    EXPECT_EQ(ExportIncidents(w.log.Folder(), file, std::nullopt),
              "2 emergencies, 1 track written to " + file);
    XmlContent c = ReadXml(file);
    EXPECT_EQ(c.rootNamespace, "http://www.opengis.net/kml/2.2");
    EXPECT_EQ(c.texts["Document/name"], QStringList{"Sirenwatch incidents"});
    EXPECT_EQ(c.texts["Placemark/name"], (QStringList{"Q7MOB-9", "Q4HIKE-7", "Q7MOB-9 track"}));
    EXPECT_EQ(c.texts["Placemark/coordinates"].value(0), "9.100000,45.500000");
    EXPECT_EQ(c.texts["Placemark/coordinates"].value(2), "9.100000,45.500000 9.120000,45.510000");

    const auto wrongName = ExportIncidents(w.log.Folder(), w.dir.path() + "/out.txt", std::nullopt);
    ASSERT_FALSE(wrongName);
    EXPECT_TRUE(wrongName.error().text.starts_with("the file name must end in .gpx or .kml"))
        << wrongName.error().text;
    const QString unwritable = w.dir.path() + "/no/such/out.kml";
    const auto noFolder = ExportIncidents(w.log.Folder(), unwritable, std::nullopt);
    ASSERT_FALSE(noFolder);
    EXPECT_TRUE(noFolder.error().text.starts_with(unwritable.toStdString() + ": "))
        << noFolder.error().text;
}

// The time nobody watched shows in the export: at the home station as points of their own, and
// in the GPX file's description.
TEST(IncidentExport, TheWatchStoppingAndStartingAgainIsMarkedAtHome) {
    LoggedWatch w;
    const Place home{45.504, 9.206};
    ASSERT_TRUE(w.log.Append({At("2026-12-07T09:00:00Z"), WatchStopped{.home = home}}));
    ASSERT_TRUE(w.log.Append(
        {At("2026-12-07T09:30:00Z"),
         WatchStarted{
             .lastAlive_s = At("2026-12-07T09:20:00Z"), .stoppedCleanly = false, .home = home}}));
    const QString gpx = w.dir.path() + "/out.gpx", kml = w.dir.path() + "/out.kml";
    ASSERT_TRUE(ExportIncidents(w.log.Folder(), gpx, std::nullopt));
    ASSERT_TRUE(ExportIncidents(w.log.Folder(), kml, std::nullopt));
    XmlContent g = ReadXml(gpx), k = ReadXml(kml);
    const QString down =
        "The watch started again; nobody watched since 2026-12-07T09:20:00Z: it did not stop "
        "cleanly, and was last known to run then.";
    EXPECT_EQ(g.texts["wpt/name"],
              (QStringList{"Q7MOB-9", "Q4HIKE-7", "watch stopped", "watch started"}));
    EXPECT_EQ(g.texts["wpt/desc"].value(3), down);
    EXPECT_EQ(g.texts["metadata/desc"].value(0),
              "2026-12-07T09:00:00Z The watch stopped cleanly.\n2026-12-07T09:30:00Z " + down);
    EXPECT_EQ(k.texts["Placemark/name"].mid(2, 2), (QStringList{"watch stopped", "watch started"}));
    EXPECT_EQ(k.texts["Placemark/coordinates"].value(3), "9.206000,45.504000");
}

TEST(IncidentExport, SinceTakesDatesAndTimesWithOrWithoutAZone) {
    EXPECT_EQ(ParseSince("2026-12-07T10:00:00Z")->toUTC().toString(Qt::ISODate),
              "2026-12-07T10:00:00Z");
    EXPECT_EQ(ParseSince("2026-12-07T11:00:00+01:00")->toUTC().toString(Qt::ISODate),
              "2026-12-07T10:00:00Z");
    EXPECT_EQ(*ParseSince("2026-12-07"), QDate(2026, 12, 7).startOfDay());
    EXPECT_EQ(*ParseSince("2026-12-07T10:00"), QDateTime(QDate(2026, 12, 7), QTime(10, 0)));
    EXPECT_EQ(ParseSince("2026-12-07 10:00"), ParseSince("2026-12-07T10:00"));
    // A bad time after a good date is refused, not read as midnight.
    for (const char* bad :
         {"yesterday", "2026-13-01", "2026-12-07T25:00", "2026-12-07Tfoo", "2026-12-07T10:05Zjunk",
          "2026-12-07T10:00+15:00", "2026-12-07T10:00+25:00", "2026-12-07T10"})
        EXPECT_FALSE(ParseSince(bad)) << bad;
}

// The log's times are written by hand: the same text as Qt's over the whole range.
TEST(IncidentLog, TimesReadAsQtWritesThem) {
    for (const std::int64_t seconds :
         {std::int64_t{0}, std::int64_t{-1}, std::int64_t{1'709'164'799},
          std::int64_t{1'709'251'199}, std::int64_t{1'796'559'359}, std::int64_t{-62'135'596'800},
          std::int64_t{-62'135'596'801}, std::int64_t{253'402'300'799},
          std::int64_t{253'402'300'800}})
        EXPECT_EQ(IsoTime(seconds),
                  QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC).toString(Qt::ISODate))
            << seconds;
}

// The log's lines are written directly: the same bytes as Qt's JSON writer gives, whatever
// the air sent.
TEST(IncidentLog, LinesReadAsQtWritesThem) {
    const std::string oddText = std::string("a\"b\\c/\b\f\n\r\t\x01\x1f\x7f", 14) + '\0' +
                                "\xc3\xa8 \xe2\x82\xac \xff\xfe \xc3 <&>";
    std::vector<Event> events;
    for (const double degrees : {45.59166666666667, -0.0, 0.0, 0.0001, 1e-05, 180.0, -179.99999})
        events.push_back(Position("2026-12-07T10:15:00Z", "Q7MOB-9", degrees, -degrees / 2));
    Event odd = Emergency("2026-12-07T23:59:59Z", "Q1AB", 45.5, 9.25, true);
    auto& e = std::get<incidents::Emergency>(odd.what);
    for (std::string& text : e.panel.text) text = oddText;
    e.unit = oddText;
    e.evidence->path = {.digipeaters = {"WIDE1-1", oddText}, .heardFrom = oddText, .gateway = "G"};
    e.evidence->heardVia = {oddText, ""};
    e.evidence->count = 3;
    events.push_back(odd);
    events.push_back(Emergency("2026-12-07T00:00:00Z", "Q2CD", 45.5, 9.25));
    e.evidence.reset();
    events.push_back(odd);
    events.push_back({At("2026-12-07T00:00:00Z"), AlarmOn{}});
    events.push_back(
        {At("2026-12-07T00:00:00Z"), FeedSilent{oddText, 905, At("2026-12-07T00:00:00Z")}});
    for (const Event& event : events)
        EXPECT_EQ(JsonLine(event),
                  QJsonDocument(ToJson(event)).toJson(QJsonDocument::Compact).toStdString());
}

}  // namespace
}  // namespace incidents
