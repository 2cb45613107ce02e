// Connection keeping for the TCP feeds, on the network loop.
#include "feeds/TcpFeed.h"

#include <algorithm>
#include <boost/asio/connect.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/write.hpp>

namespace feeds {

namespace asio = boost::asio;
using asio::ip::tcp;

namespace {

std::string Endpoint(const std::string& host, std::uint16_t port) {
    const bool ipv6 = host.find(':') != std::string::npos;
    return (ipv6 ? "[" + host + "]" : host) + ":" + std::to_string(port);
}

// The reason a link failed, in the same words in both homes (Windows' own texts differ).
std::string Reason(const boost::system::error_code& error) {
    namespace errors = asio::error;
    if (error == errors::eof) return "The remote host closed the connection";
    if (error == errors::host_not_found || error == errors::host_not_found_try_again ||
        error == errors::no_data)
        return "Host not found";
    if (error == errors::connection_refused) return "Connection refused";
    if (error == errors::connection_reset) return "Connection reset by peer";
    if (error == errors::timed_out) return "Connection timed out";
    if (error == errors::network_unreachable) return "Network is unreachable";
    if (error == errors::host_unreachable) return "No route to host";
    return error.message();
}

}  // namespace

TcpFeed::TcpFeed(Loops loops, const std::string& protocol, std::string host, std::uint16_t port)
    : Source(loops.ui, protocol + " " + Endpoint(host, port)),
      io_(loops.io),
      host_(std::move(host)),
      port_(port),
      resolver_(loops.io),
      socket_(loops.io),
      retry_(loops.io),
      connectTimeout_(loops.io) {}

void TcpFeed::Start() {
    std::weak_ptr<TcpFeed> weak = Self();
    Out().WhenRoom([this, weak] {
        if (auto self = weak.lock()) asio::post(io_, [self] { self->Resume(); });
    });
    asio::post(io_, [self = Self()] {
        if (self->state_ == State::Idle) self->Connect();
    });
}

void TcpFeed::Stop() {
    asio::post(io_, [self = Self()] {
        self->state_ = State::Stopped;
        boost::system::error_code ignored;
        self->resolver_.cancel();
        self->socket_.close(ignored);
        self->retry_.cancel();
        self->connectTimeout_.cancel();
        self->OnConnectionLost();
    });
}

void TcpFeed::Connect() {
    state_ = State::Connecting;
    const unsigned link = ++link_;
    paused_ = false;
    Out().Status(Describe() + ": connecting");
    connectTimeout_.expires_after(std::chrono::milliseconds(kConnectTimeout_ms));
    connectTimeout_.async_wait([this, self = Self(), link](const boost::system::error_code& e) {
        if (!e && Current(link) && state_ == State::Connecting) Lost("no answer");
    });
    resolver_.async_resolve(
        host_, std::to_string(port_),
        [this, self = Self(), link](const boost::system::error_code& e,
                                    const tcp::resolver::results_type& endpoints) {
            if (!Current(link) || state_ != State::Connecting) return;
            if (e) return Lost(Reason(e));
            Resolved(endpoints);
        });
}

void TcpFeed::Resolved(const tcp::resolver::results_type& endpoints) {
    const unsigned link = link_;
    asio::async_connect(
        socket_, endpoints,
        [this, self = Self(), link](const boost::system::error_code& e, const tcp::endpoint&) {
            if (!Current(link) || state_ != State::Connecting) return;
            if (e) return Lost(Reason(e));
            LinkMade();
        });
}

void TcpFeed::LinkMade() {
    connectTimeout_.cancel();
    state_ = State::Connected;
    // Frames are small and an alarm should not wait for more bytes to fill a segment.
    boost::system::error_code ignored;
    socket_.set_option(tcp::no_delay(true), ignored);
    Out().Status(Describe() + ": connected");
    Out().LinkUp();
    OnConnected();
    Read();
}

void TcpFeed::Read() {
    if (reading_ || paused_ || state_ != State::Connected) return;
    reading_ = true;
    const unsigned link = link_;
    socket_.async_read_some(
        asio::buffer(buffer_),
        [this, self = Self(), link](const boost::system::error_code& e, std::size_t bytes) {
            reading_ = false;
            if (!Current(link)) {
                Read();  // a link made again meanwhile reads now that the buffer is free
                return;
            }
            if (e) return Lost(Reason(e));
            Received(bytes);
        });
}

void TcpFeed::Received(std::size_t bytes) {
    retryDelay_ms_ = kFirstRetry_ms;  // the link works: a later drop starts the delays over
    Out().Heard();
    OnBytes(std::string_view(buffer_.data(), bytes));
    Out().Flush();
    if (Out().Full())
        paused_ = true;
    else
        Read();
}

void TcpFeed::Resume() {
    if (!paused_) return;
    paused_ = false;
    Read();
}

void TcpFeed::Send(std::string bytes) {
    toSend_ += bytes;
    if (sending_.empty()) WriteMore();
}

void TcpFeed::WriteMore() {
    if (toSend_.empty() || state_ != State::Connected) return;
    sending_ = std::move(toSend_);
    toSend_.clear();
    const unsigned link = link_;
    asio::async_write(socket_, asio::buffer(sending_),
                      [this, self = Self(), link](const boost::system::error_code& e, std::size_t) {
                          sending_.clear();
                          if (!Current(link)) return WriteMore();
                          if (e) return Lost(Reason(e));
                          WriteMore();
                      });
}

void TcpFeed::Lost(const std::string& reason) {
    if (state_ != State::Connecting && state_ != State::Connected) return;
    state_ = State::Waiting;
    boost::system::error_code ignored;
    connectTimeout_.cancel();
    resolver_.cancel();
    socket_.close(ignored);
    toSend_.clear();
    OnConnectionLost();
    const int delay = retryDelay_ms_;
    retryDelay_ms_ = std::min(retryDelay_ms_ * 2, kMaxRetry_ms);
    Out().Status(Describe() + ": " + reason + ", retrying in " + SecondsText(delay) + " s");
    Out().LinkDown(reason);
    retry_.expires_after(std::chrono::milliseconds(delay));
    retry_.async_wait([this, self = Self()](const boost::system::error_code& e) {
        if (!e && state_ == State::Waiting) Connect();
    });
}

}  // namespace feeds
