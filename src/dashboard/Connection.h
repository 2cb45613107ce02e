// One client's connection to the dashboard: its request read by Beast's parser within limits
// of size and time, one answer, or the event stream. Internal to the dashboard's server.
#pragma once

#include <array>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/http/parser.hpp>
#include <boost/beast/http/string_body.hpp>
#include <memory>
#include <optional>
#include <string>
#include <utility>  // before Boost.Asio, whose headers miss it under C++20

#include "dashboard/BeastRequest.h"
#include "dashboard/ServerCore.h"

namespace dashboard {

namespace http = boost::beast::http;

class Connection : public std::enable_shared_from_this<Connection> {
public:
    Connection(std::shared_ptr<ServerCore> core, tcp::socket socket, std::string peer)
        : core_(std::move(core)),
          socket_(std::move(socket)),
          peer_(std::move(peer)),
          deadline_(core_->io) {
        core_->Register(this);
    }
    ~Connection() { Unregister(); }

    const std::string& Peer() const { return peer_; }
    // Since when it waits for the client to send or to take what is sent; max when it does not.
    Clock::time_point WaitingSince() const { return waitingSince_; }
    void Start();
    void Refuse(int status, const std::string& why);
    void Abort();
    void Answer(const Reply& reply);
    void Send(std::string head, Text body);
    void BeginStream(const Text& state, std::uint64_t version);
    void PushState(const Text& state, std::uint64_t version);
    void PushComment();

private:
    void Arm(Milliseconds limit, bool onClient = true);
    void Unregister();
    void ReadHead();
    void HeadRead(error_code error);
    void BodyRead(error_code error);
    void ReadFailed(error_code error);
    void Dispatch();
    void Linger();
    void DropWhatComes();
    void StreamWrite(Text message);
    void WatchStreamEnd();

    std::shared_ptr<ServerCore> core_;
    tcp::socket socket_;
    std::string peer_;
    asio::steady_timer deadline_;
    boost::beast::flat_buffer buffer_;
    std::optional<http::request_parser<http::string_body>> parser_;
    bool timedOut_ = false;
    bool registered_ = true;
    Clock::time_point waitingSince_ = Clock::time_point::max();
    bool streaming_ = false;
    bool writing_ = false;
    Text nextMessage_;  // a stream's message waiting for the one being written
    std::uint64_t sentVersion_ = 0;
    std::array<char, 512> discard_{};
};

}  // namespace dashboard
