// The incident log's export read back with Qt's XML parser: the GPX and KML give the points and
// tracks logged, and the time nobody watched. And the log's lines as Qt's JSON writer wrote them
// before, whatever the air sent.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <QXmlStreamReader>
#include <map>
#include <nlohmann/json.hpp>

#include "fakes/FileText.h"
#include "fakes/IncidentEvents.h"
#include "fakes/TempFolder.h"
#include "incident_outlets/IncidentExport.h"
#include "incident_outlets/IncidentLog.h"
#include "incident_outlets/JsonLines.h"

namespace incidents {
namespace {

using fakes::At;
using fakes::LoggedEmergency;
using fakes::LoggedPosition;
using fakes::LoggedWatch;

// An export read back with an XML parser: element texts by "container/element" ("wpt/name",
// "trk/name", "Placemark/coordinates"), the track points, and the root's namespace.
struct XmlContent {
    std::map<QString, QStringList> texts;
    std::vector<std::pair<double, double>> trackPoints;
    QString rootNamespace;
};

XmlContent ReadXml(const std::string& path) {
    XmlContent c;
    QXmlStreamReader xml(QByteArray::fromStdString(fakes::ReadAll(path)));
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
    const std::string all = w.Path("all.gpx");
    ASSERT_TRUE(ExportIncidents(w.log.Folder(), all, std::nullopt));
    XmlContent c = ReadXml(all);
    EXPECT_EQ(c.rootNamespace, "http://www.topografix.com/GPX/1/1");
    EXPECT_EQ(c.texts["wpt/name"], (QStringList{"Q7MOB-9", "Q4HIKE-7"}));
    EXPECT_EQ(c.texts["wpt/desc"].value(0),
              "Mic-E message bits 000 (Emergency)\nQ7MOB-9>APRS:<b>&\"help\"</b>\uFFFD");
    EXPECT_EQ(c.texts["trk/name"], QStringList{"Q7MOB-9"}) << "one place is no track";
    EXPECT_EQ(c.trackPoints, (std::vector<std::pair<double, double>>{{45.5, 9.1}, {45.51, 9.12}}));

    // Since midnight, each station has one place left: no track, and none counted.
    const std::string file = w.Path("later.gpx");
    const auto later = ExportIncidents(w.log.Folder(), file, ParseSince("2026-12-07T00:00:00Z"));
    ASSERT_TRUE(later);
    EXPECT_EQ(*later, "1 emergency, 0 tracks written to " + file);
    XmlContent l = ReadXml(file);
    EXPECT_EQ(l.texts["wpt/name"], QStringList{"Q4HIKE-7"});
    EXPECT_FALSE(l.texts.contains("trk/name"));
}

TEST(IncidentExport, KmlHasPlacemarksWithLonLatCoordinates) {
    LoggedWatch w;
    const std::string file = w.Path("out.kml");
    const auto written = ExportIncidents(w.log.Folder(), file, std::nullopt);
    ASSERT_TRUE(written);
    EXPECT_EQ(*written, "2 emergencies, 1 track written to " + file);
    XmlContent c = ReadXml(file);
    EXPECT_EQ(c.rootNamespace, "http://www.opengis.net/kml/2.2");
    EXPECT_EQ(c.texts["Document/name"], QStringList{"Sirenwatch incidents"});
    EXPECT_EQ(c.texts["Placemark/name"], (QStringList{"Q7MOB-9", "Q4HIKE-7", "Q7MOB-9 track"}));
    EXPECT_EQ(c.texts["Placemark/coordinates"].value(0), "9.100000,45.500000");
    EXPECT_EQ(c.texts["Placemark/coordinates"].value(2), "9.100000,45.500000 9.120000,45.510000");

    const auto wrongName = ExportIncidents(w.log.Folder(), w.Path("out.txt"), std::nullopt);
    ASSERT_FALSE(wrongName);
    EXPECT_TRUE(wrongName.error().text.starts_with("the file name must end in .gpx or .kml"))
        << wrongName.error().text;
    const std::string unwritable = w.Path("no/such/out.kml");
    const auto noFolder = ExportIncidents(w.log.Folder(), unwritable, std::nullopt);
    ASSERT_FALSE(noFolder);
    EXPECT_TRUE(noFolder.error().text.starts_with(unwritable + ": ")) << noFolder.error().text;
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
    const std::string gpx = w.Path("out.gpx"), kml = w.Path("out.kml");
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

// Local times as Qt reads them.
TEST(IncidentExport, SinceTakesDatesAndTimesWithOrWithoutAZone) {
    EXPECT_EQ(ParseSince("2026-12-07T10:00:00Z"), At("2026-12-07T10:00:00Z"));
    EXPECT_EQ(ParseSince("2026-12-07T11:00:00+01:00"), At("2026-12-07T10:00:00Z"));
    EXPECT_EQ(ParseSince("2026-12-07"), QDate(2026, 12, 7).startOfDay().toSecsSinceEpoch());
    EXPECT_EQ(ParseSince("2026-12-07T10:00"),
              QDateTime(QDate(2026, 12, 7), QTime(10, 0)).toSecsSinceEpoch());
    EXPECT_EQ(ParseSince("2026-12-07 10:00"), ParseSince("2026-12-07T10:00"));
    // A bad time after a good date is refused, not read as midnight.
    for (const char* bad :
         {"yesterday", "2026-13-01", "2026-12-07T25:00", "2026-12-07Tfoo", "2026-12-07T10:05Zjunk",
          "2026-12-07T10:00+15:00", "2026-12-07T10:00+25:00", "2026-12-07T10"})
        EXPECT_FALSE(ParseSince(bad)) << bad;
}

// The log's lines go on as Qt's JSON writer wrote them: Qt reads each line and writes it back
// the same, numbers and escapes included, and text with broken UTF-8 turns out as Qt turned it.
TEST(IncidentLog, LinesAreAsQtWroteThem) {
    const std::string oddText = std::string("a\"b\\c/\b\f\n\r\t\x01\x1f\x7f", 14) + '\0' +
                                "\xc3\xa8 \xe2\x82\xac \xff\xfe \xc3 \xf0\x9f\x06 \xed\xa0\x80 <&>";
    for (const std::string& text : {oddText, "\xef\xbb\xbf" + oddText}) {
        const QJsonObject qt{{"v", QString::fromUtf8(text.data(), qsizetype(text.size()))}};
        EXPECT_EQ(JsonText(nlohmann::json{{"v", text}}),
                  QJsonDocument(qt).toJson(QJsonDocument::Compact).toStdString());
    }
    for (const double value : {45.59166666666667, -0.0, 0.0001, 1e-05, 0.00012345, 100000.0, 1e15,
                               1.5e16, 1e21, 1534740659057302200000.0, -179.99999, 5e-324}) {
        const QJsonObject qt{{"v", value}};
        EXPECT_EQ(JsonText(nlohmann::json{{"v", value}}),
                  QJsonDocument(qt).toJson(QJsonDocument::Compact).toStdString());
    }
    Event odd = LoggedEmergency("2026-12-07T23:59:59Z", "Q1AB", 45.5, 9.25);
    auto& e = std::get<incidents::Emergency>(odd.what);
    for (std::string& text : e.panel.text) text = oddText;
    e.evidence->path = {.digipeaters = {"WIDE1-1", oddText}, .heardFrom = oddText, .gateway = "G"};
    e.evidence->heardVia = {oddText, ""};
    for (const Event& event : {odd, LoggedPosition("2026-12-07T10:15:00Z", "Q7MOB-9", 45.0, -0.0),
                               Event{At("2026-12-07T00:00:00Z"), FeedSilent{oddText, 905, 0}}}) {
        const std::string line = JsonLine(event);
        EXPECT_EQ(QJsonDocument::fromJson(QByteArray::fromStdString(line))
                      .toJson(QJsonDocument::Compact)
                      .toStdString(),
                  line);
    }
}

// The log's times: the same text as Qt's over the whole range.
TEST(IncidentLog, TimesAreAsQtWroteThem) {
    for (const std::int64_t seconds :
         {std::int64_t{0}, std::int64_t{-1}, std::int64_t{1'709'164'799},
          std::int64_t{1'709'251'199}, std::int64_t{1'796'559'359}, std::int64_t{-62'135'596'800},
          std::int64_t{-62'135'596'801}, std::int64_t{253'402'300'799},
          std::int64_t{253'402'300'800}})
        EXPECT_EQ(
            IsoTime(seconds),
            QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC).toString(Qt::ISODate).toStdString())
            << seconds;
}

}  // namespace
}  // namespace incidents
