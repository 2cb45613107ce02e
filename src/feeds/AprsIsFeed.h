// An APRS-IS server: a receive-only login (passcode -1) with an optional server filter, then
// one monitor line per line; server comments are skipped. A comment line goes out now and
// then, so a server does not take a client that never sends for a dead one.
#pragma once

#include <boost/asio/steady_timer.hpp>
#include <string>

#include "decode/AprsIs.h"
#include "feeds/TcpFeed.h"

namespace feeds {

class AprsIsFeed final : public TcpFeed {
public:
    static constexpr int kKeepAlive_ms = 4 * 60 * 1000;

    AprsIsFeed(Loops loops, std::string host, std::uint16_t port, std::string callsign,
               std::string version, std::string filter, int keepAlive_ms = kKeepAlive_ms);

private:
    void OnConnected() override;
    void OnBytes(std::string_view bytes) override;
    void OnConnectionLost() override;
    void KeepAlive();

    std::string callsign_;
    std::string version_;
    std::string filter_;
    int keepAlive_ms_;
    decode::AprsIsReceiver receiver_;
    boost::asio::steady_timer keepAlive_;
};

}  // namespace feeds
