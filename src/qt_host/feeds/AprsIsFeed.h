// An APRS-IS server: a receive-only login (passcode -1) with an optional server filter, then
// one monitor line per line; server comments are skipped.
#pragma once

#include <string>

#include "decode/AprsIs.h"
#include "qt_host/feeds/SocketFeed.h"

namespace qt_host::feeds {

class AprsIsFeed final : public SocketFeed {
    Q_OBJECT
public:
    AprsIsFeed(QString host, quint16 port, std::string callsign, std::string version,
               std::string filter, QObject* parent = nullptr);

    std::size_t Discarded() const { return receiver_.discarded(); }

protected:
    void OnConnected() override;
    void OnBytes(std::string_view bytes) override;
    void OnConnectionLost() override { receiver_ = {}; }
    QString Protocol() const override { return "APRS-IS"; }

private:
    std::string callsign_;
    std::string version_;
    std::string filter_;
    decode::AprsIsReceiver receiver_;
};

}  // namespace qt_host::feeds
