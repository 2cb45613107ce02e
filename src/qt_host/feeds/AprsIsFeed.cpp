// APRS-IS client, read-only.
#include "qt_host/feeds/AprsIsFeed.h"

namespace qt_host::feeds {

AprsIsFeed::AprsIsFeed(QString host, quint16 port, std::string callsign, std::string version,
                       std::string filter, QObject* parent, int keepAlive_ms)
    : SocketFeed(std::move(host), port, parent),
      callsign_(std::move(callsign)),
      version_(std::move(version)),
      filter_(std::move(filter)) {
    keepAlive_.setInterval(keepAlive_ms);
    connect(&keepAlive_, &QTimer::timeout, this, [this] {
        const std::string comment = "# Sirenwatch " + version_ + " listening\r\n";
        Socket().write(comment.data(), static_cast<qint64>(comment.size()));
    });
}

void AprsIsFeed::OnConnected() {
    const std::string login = decode::AprsIsLogin(callsign_, version_, filter_);
    Socket().write(login.data(), static_cast<qint64>(login.size()));
    keepAlive_.start();
}

void AprsIsFeed::OnConnectionLost() {
    keepAlive_.stop();
    receiver_ = {};
}

void AprsIsFeed::OnBytes(std::string_view bytes) {
    for (const auto& line : receiver_.Feed(bytes)) DeliverLine(line);
}

}  // namespace qt_host::feeds
