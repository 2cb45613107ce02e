// APRS-IS client, read-only.
#include "feeds/AprsIsFeed.h"

namespace feeds {

AprsIsFeed::AprsIsFeed(Loops loops, std::string host, std::uint16_t port, std::string callsign,
                       std::string version, std::string filter, int keepAlive_ms)
    : TcpFeed(loops, "APRS-IS", std::move(host), port),
      callsign_(std::move(callsign)),
      version_(std::move(version)),
      filter_(std::move(filter)),
      keepAlive_ms_(keepAlive_ms),
      keepAlive_(loops.io) {}

void AprsIsFeed::OnConnected() {
    Send(decode::AprsIsLogin(callsign_, version_, filter_));
    KeepAlive();
}

void AprsIsFeed::KeepAlive() {
    keepAlive_.expires_after(std::chrono::milliseconds(keepAlive_ms_));
    keepAlive_.async_wait([this, self = shared_from_this()](const boost::system::error_code& e) {
        if (e || !Connected()) return;
        Send("# Sirenwatch " + version_ + " listening\r\n");
        KeepAlive();
    });
}

void AprsIsFeed::OnConnectionLost() {
    keepAlive_.cancel();
    receiver_ = {};
}

void AprsIsFeed::OnBytes(std::string_view bytes) {
    for (auto& line : receiver_.Feed(bytes)) Out().Line(std::move(line));
}

}  // namespace feeds
