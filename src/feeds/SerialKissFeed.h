// A hardware KISS TNC on a serial line (/dev/ttyUSB0 or COM3 at a chosen speed, 8N1, no flow
// control). A TNC that is unplugged, or not there yet, is looked for again every few
// seconds, so plugging it back in resumes the watch.
#pragma once

#include <array>
#include <boost/asio/serial_port.hpp>
#include <boost/asio/steady_timer.hpp>
#include <string>

#include "decode/Kiss.h"
#include "feeds/Feed.h"

namespace feeds {

class SerialKissFeed final : public Source {
public:
    static constexpr int kReopen_ms = 3000;

    SerialKissFeed(Loops loops, std::string device, unsigned baud, int reopen_ms = kReopen_ms);

    void Start() override;
    void Stop() override;

private:
    void Open();
    void Read();
    void Received(std::size_t bytes);
    void CloseAndRetry(const std::string& reason);
    void Resume();
    std::shared_ptr<SerialKissFeed> Self() {
        return std::static_pointer_cast<SerialKissFeed>(shared_from_this());
    }

    boost::asio::io_context& io_;
    std::string device_;
    unsigned baud_;
    int reopen_ms_;
    boost::asio::serial_port port_;
    boost::asio::steady_timer reopen_;
    decode::KissDeframer deframer_;
    std::array<char, 4096> buffer_{};
    unsigned opened_ = 0;  // counts the openings, so a read of an earlier one is ignored
    bool reading_ = false;
    bool paused_ = false;
    bool waiting_ = false;  // to open again
    bool stopped_ = false;
};

}  // namespace feeds
