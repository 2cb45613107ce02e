// A TCP feed that keeps itself connected: a refused or dropped connection is tried again
// after 1, 2, 4 ... seconds, at most 30, and the delay starts over once data arrives.
#pragma once

#include <array>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/steady_timer.hpp>
#include <cstdint>
#include <string>
#include <string_view>

#include "feeds/Feed.h"

namespace feeds {

class TcpFeed : public Source {
public:
    static constexpr int kFirstRetry_ms = 1000;
    static constexpr int kMaxRetry_ms = 30000;
    static constexpr int kConnectTimeout_ms = 15000;

    TcpFeed(Loops loops, const std::string& protocol, std::string host, std::uint16_t port);

    void Start() override;
    void Stop() override;

protected:
    // A connection is up (a login goes out here).
    virtual void OnConnected() {}
    // Bytes as they arrive, cut anywhere.
    virtual void OnBytes(std::string_view bytes) = 0;
    // The connection is gone: drop whatever half-received frame or line is pending.
    virtual void OnConnectionLost() {}

    // Sends after whatever is still being sent.
    void Send(std::string bytes);
    // Ends the link because of what the peer sent; it is made again as after a drop.
    void Drop(const std::string& reason) { Lost(reason); }
    bool Connected() const { return state_ == State::Connected; }
    boost::asio::io_context& Io() { return io_; }

private:
    enum class State { Idle, Connecting, Connected, Waiting, Stopped };

    void Connect();
    void Resolved(const boost::asio::ip::tcp::resolver::results_type& endpoints);
    void LinkMade();
    void Read();
    void Received(std::size_t bytes);
    void WriteMore();
    void Lost(const std::string& reason);
    void Resume();
    // Whether a handler of link `link` still concerns the current one.
    bool Current(unsigned link) const { return link == link_ && state_ != State::Stopped; }
    std::shared_ptr<TcpFeed> Self() {
        return std::static_pointer_cast<TcpFeed>(shared_from_this());
    }

    boost::asio::io_context& io_;
    std::string host_;
    std::uint16_t port_;
    boost::asio::ip::tcp::resolver resolver_;
    boost::asio::ip::tcp::socket socket_;
    boost::asio::steady_timer retry_;
    boost::asio::steady_timer connectTimeout_;
    State state_ = State::Idle;
    unsigned link_ = 0;  // counts the connections tried
    int retryDelay_ms_ = kFirstRetry_ms;
    std::array<char, 16384> buffer_{};
    bool reading_ = false;
    bool paused_ = false;  // too many lines wait for the UI thread
    std::string sending_;
    std::string toSend_;
};

}  // namespace feeds
