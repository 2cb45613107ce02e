// A KISS TNC on TCP (a soft modem such as Direwolf): AX.25 UI frames become TNC2 lines.
#pragma once

#include "decode/Kiss.h"
#include "qt_host/feeds/SocketFeed.h"

namespace qt_host::feeds {

class KissFeed final : public SocketFeed {
    Q_OBJECT
public:
    using SocketFeed::SocketFeed;

    // Frames thrown away: not a UI frame, unusable address, or too long.
    std::size_t Discarded() const { return deframer_.discarded() + notUi_; }

protected:
    void OnBytes(std::string_view bytes) override;
    void OnConnectionLost() override { deframer_ = {}; }
    QString Protocol() const override { return "KISS"; }

private:
    decode::KissDeframer deframer_;
    std::size_t notUi_ = 0;
};

}  // namespace qt_host::feeds
