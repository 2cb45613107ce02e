// The text the map window shows for a station.
#include "qt_host/StationDetail.h"

#include <QDateTime>
#include <QStringList>

namespace qt_host {
namespace {

QString LocalTime(std::int64_t seconds) {
    return QDateTime::fromSecsSinceEpoch(seconds).toString("yyyy-MM-dd HH:mm:ss");
}

QString EvidenceDetail(const builtin_host::Evidence& e) {
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

QString StationDetail(const builtin_host::StationData& s, const builtin_host::Evidence* evidence) {
    QStringList lines{QString::fromStdString(s.callsign)};
    if (s.latitude_deg && s.longitude_deg) {
        lines << QString("%1, %2  (%3 km, %4°)")
                     .arg(*s.latitude_deg, 0, 'f', 5)
                     .arg(*s.longitude_deg, 0, 'f', 5)
                     .arg(s.distance_km, 0, 'f', 1)
                     .arg(s.bearing_deg, 0, 'f', 0);
    }
    if (!s.beaconText.empty()) lines << QString::fromStdString(s.beaconText);
    if (evidence != nullptr) lines << EvidenceDetail(*evidence);
    return lines.join('\n');
}

}  // namespace qt_host
