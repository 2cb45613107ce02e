// The dashboard's server on the network loop's thread: the listening socket and its limits,
// the connections counted, the state asked of the UI thread, the streams and the actions.
// Internal to the dashboard's server; what is shared with the UI thread crosses only by posts
// and the UiQueue.
#pragma once

#include <atomic>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/steady_timer.hpp>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <unordered_set>
#include <utility>  // before Boost.Asio, whose headers miss it under C++20
#include <vector>

#include "dashboard/DashboardServer.h"
#include "dashboard/RequestHandler.h"
#include "net/UiQueue.h"

namespace dashboard {

namespace asio = boost::asio;
using tcp = asio::ip::tcp;
using boost::system::error_code;
using Text = std::shared_ptr<const std::string>;

class Connection;

class ServerCore : public std::enable_shared_from_this<ServerCore> {
public:
    ServerCore(asio::io_context& io, net::UiQueue& ui, const ServerSettings& settings)
        : io(io),
          ui(ui),
          settings(settings),
          handler(settings.token, settings.tileUrl),
          acceptor(io),
          pushTimer(io),
          keepAliveTimer(io),
          acceptRetry(io) {}

    platform::Result<void> Listen(const tcp::endpoint& where);
    void Stop();
    void NoteChanged();  // any thread
    void WhenState(std::function<void(const Text&, std::uint64_t)> then);
    void OpenStream(const std::shared_ptr<Connection>& connection);
    void CloseStream(Connection* connection);
    void Act(const std::shared_ptr<Connection>& connection, const Action& action);
    void Register(Connection* connection);
    void Unregister(Connection* connection);
    int FromAddress(const std::string& peer) const {
        const auto found = perAddress.find(peer);
        return found == perAddress.end() ? 0 : found->second;
    }
    int Open() const { return int(all.size()); }
    std::uint16_t Port() const { return port; }

    asio::io_context& io;
    net::UiQueue& ui;
    ServerSettings settings;
    RequestHandler handler;
    std::function<std::string()> render;             // the UI thread
    std::function<ActionResult(const Action&)> act;  // the UI thread
    std::shared_ptr<std::atomic<bool>> alive;        // read on the UI thread
    std::atomic<int> openCount{0};
    std::atomic<bool> changePosted{false};

private:
    void Accept();
    void Accepted(tcp::socket socket);
    bool EvictStalled(const std::string* peer);  // of that address, or of any
    void OnChanged();
    void AskState();
    void StateArrived(Text json);
    void Push();
    void KeepAlive();

    tcp::acceptor acceptor;
    std::uint16_t port = 0;
    asio::steady_timer pushTimer, keepAliveTimer, acceptRetry;
    bool pushTimerRunning = false;
    bool stopped = false;
    std::unordered_set<Connection*> all;
    std::map<std::string, int> perAddress;
    std::vector<std::shared_ptr<Connection>> streams;
    Text current;
    std::uint64_t version = 0;
    bool stale = true;
    bool asking = false;
    std::vector<std::function<void(const Text&, std::uint64_t)>> waiting;
};

}  // namespace dashboard
