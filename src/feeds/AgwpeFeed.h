// A soft TNC over the AGWPE TCP/IP API (Direwolf on port 8000, many Windows TNCs): we ask
// for raw AX.25 frames and turn each UI frame into a TNC2 line.
#pragma once

#include "decode/Agwpe.h"
#include "feeds/TcpFeed.h"

namespace feeds {

class AgwpeFeed final : public TcpFeed {
public:
    AgwpeFeed(Loops loops, std::string host, std::uint16_t port)
        : TcpFeed(loops, "AGWPE", std::move(host), port) {}

    // Frames thrown away: too long, not a UI frame, or an unusable address (network loop).
    std::size_t Discarded() const { return deframer_.discarded() + notUi_; }

private:
    void OnConnected() override;
    void OnBytes(std::string_view bytes) override;
    void OnConnectionLost() override { deframer_ = {}; }

    decode::AgwpeDeframer deframer_;
    std::size_t notUi_ = 0;
};

}  // namespace feeds
