// A KISS TNC on TCP (a soft modem such as Direwolf): AX.25 UI frames become TNC2 lines.
#pragma once

#include "decode/Kiss.h"
#include "feeds/TcpFeed.h"

namespace feeds {

class KissTcpFeed final : public TcpFeed {
public:
    KissTcpFeed(Loops loops, std::string host, std::uint16_t port)
        : TcpFeed(loops, "KISS", std::move(host), port) {}

    // Frames thrown away: not a UI frame, unusable address, or too long (network loop).
    std::size_t Discarded() const { return deframer_.discarded() + notUi_; }

private:
    void OnBytes(std::string_view bytes) override;
    void OnConnectionLost() override { deframer_ = {}; }

    decode::KissDeframer deframer_;
    std::size_t notUi_ = 0;
};

}  // namespace feeds
