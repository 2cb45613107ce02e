// A soft TNC over the AGWPE TCP/IP API (Direwolf on port 8000, many Windows TNCs): we ask
// for raw AX.25 frames and turn each UI frame into a TNC2 line.
#pragma once

#include "decode/Agwpe.h"
#include "qt_host/feeds/SocketFeed.h"

namespace qt_host::feeds {

class AgwpeFeed final : public SocketFeed {
    Q_OBJECT
public:
    using SocketFeed::SocketFeed;

    // Frames thrown away: too long, not a UI frame, or an unusable address.
    std::size_t Discarded() const { return deframer_.discarded() + notUi_; }

protected:
    void OnConnected() override;
    void OnBytes(std::string_view bytes) override;
    void OnConnectionLost() override { deframer_ = {}; }
    QString Protocol() const override { return "AGWPE"; }

private:
    decode::AgwpeDeframer deframer_;
    std::size_t notUi_ = 0;
};

}  // namespace qt_host::feeds
