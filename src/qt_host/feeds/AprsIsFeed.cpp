// APRS-IS client, read-only.
#include "qt_host/feeds/AprsIsFeed.h"

namespace qt_host::feeds {

AprsIsFeed::AprsIsFeed(QString host, quint16 port, std::string callsign, std::string version,
                       std::string filter, QObject* parent)
    : SocketFeed(std::move(host), port, parent),
      callsign_(std::move(callsign)),
      version_(std::move(version)),
      filter_(std::move(filter)) {}

void AprsIsFeed::OnConnected() {
    const std::string login = decode::AprsIsLogin(callsign_, version_, filter_);
    Socket().write(login.data(), static_cast<qint64>(login.size()));
}

void AprsIsFeed::OnBytes(std::string_view bytes) {
    for (const auto& line : receiver_.Feed(bytes)) DeliverLine(line);
}

}  // namespace qt_host::feeds
