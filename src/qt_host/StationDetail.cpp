// The text the map window shows for a station.
#include "qt_host/StationDetail.h"

#include <QDateTime>
#include <QStringList>
#include <cmath>

#include "platform/NumberText.h"

namespace qt_host {
namespace {

QString LocalTime(std::int64_t seconds) {
    return QDateTime::fromSecsSinceEpoch(seconds).toString("yyyy-MM-dd HH:mm:ss");
}

QString EvidenceDetail(const builtin_host::StationEvidence& e) {
    QStringList hops;
    for (const std::string& hop : e.path.digipeaters) hops << QString::fromStdString(hop);
    QString via = e.path.viaInternet ? QStringLiteral("Internet") : QStringLiteral("radio");
    if (!e.path.gateway.empty()) via += " (gateway " + QString::fromStdString(e.path.gateway) + ")";
    return QStringList{
        "IN EMERGENCY: " + QString::fromStdString(e.cause),
        "Frame: " + QString::fromStdString(e.frame),
        "Path: " + (hops.isEmpty() ? QStringLiteral("direct") : hops.join(',')),
        "Heard directly from: " + QString::fromStdString(e.path.heardFrom),
        "Came by: " + via,
        QString("Heard %1 times, first %2, last %3")
            .arg(e.count)
            .arg(LocalTime(e.firstHeard_s), LocalTime(e.lastHeard_s)),
    }
        .join('\n');
}

}  // namespace

QString DistanceText(double km, bool miles) {
    // The add-on's own rule, as its panel shows distances.
    constexpr double kKmPerMile = 1.609344;
    static const platform::FixedRegional kPoint(".");
    const std::string number =
        platform::DistanceText(static_cast<float>(km), miles ? kKmPerMile : 1, kPoint);
    return QString::fromStdString(number) + (miles ? " mi" : " km");
}

QString StationDetail(const builtin_host::StationData& s,
                      const builtin_host::StationEvidence* evidence,
                      const builtin_host::HomePosition& home, bool miles) {
    QStringList lines{QString::fromStdString(s.callsign)};
    if (s.latitude_deg && s.longitude_deg) {
        QString where =
            QString("%1, %2").arg(*s.latitude_deg, 0, 'f', 5).arg(*s.longitude_deg, 0, 'f', 5);
        if (const auto db = builtin_host::FromHome(home, s.latitude_deg, s.longitude_deg)) {
            // Whole degrees from 0 to 359: 359.7 is north, 0.
            const long bearing = std::lround(db->bearing_deg) % 360;
            where += QString("  (%1, %2°)").arg(DistanceText(db->distance_km, miles)).arg(bearing);
        }
        lines << where;
    }
    if (!s.beaconText.empty()) lines << QString::fromStdString(s.beaconText);
    if (evidence != nullptr) lines << EvidenceDetail(*evidence);
    return lines.join('\n');
}

}  // namespace qt_host
