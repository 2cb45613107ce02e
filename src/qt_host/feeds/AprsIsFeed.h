// An APRS-IS server: a receive-only login (passcode -1) with an optional server filter, then
// one monitor line per line; server comments are skipped. A comment line goes out now and
// then, so a server does not take a client that never sends for a dead one.
#pragma once

#include <QTimer>
#include <string>

#include "decode/AprsIs.h"
#include "qt_host/feeds/SocketFeed.h"

namespace qt_host::feeds {

class AprsIsFeed final : public SocketFeed {
    Q_OBJECT
public:
    static constexpr int kKeepAlive_ms = 4 * 60 * 1000;

    AprsIsFeed(QString host, quint16 port, std::string callsign, std::string version,
               std::string filter, QObject* parent = nullptr, int keepAlive_ms = kKeepAlive_ms);

    std::size_t Discarded() const { return receiver_.discarded(); }

protected:
    void OnConnected() override;
    void OnBytes(std::string_view bytes) override;
    void OnConnectionLost() override;
    QString Protocol() const override { return "APRS-IS"; }

private:
    std::string callsign_;
    std::string version_;
    std::string filter_;
    decode::AprsIsReceiver receiver_;
    QTimer keepAlive_;
};

}  // namespace qt_host::feeds
