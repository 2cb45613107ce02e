// What the feed tests share: the network loop on its thread, the test's thread as the UI
// thread draining the queue, a loopback server of the test's own on an io_context that the
// waits turn, and what a feed told, checked to arrive on the UI thread.
#pragma once

#include <gtest/gtest.h>

#include <boost/asio/executor_work_guard.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/write.hpp>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "feeds/Feed.h"
#include "net/IoThread.h"
#include "net/UiQueue.h"

namespace feeds_test {

using boost::asio::ip::tcp;

struct Told {
    std::vector<std::string> lines;
    std::vector<std::string> statuses;
    std::vector<std::string> link;  // "down: reason", "up"
    int ends = 0;
    int heard = 0;
    bool offThread = false;  // something was told on another thread than the UI thread's
    std::thread::id ui = std::this_thread::get_id();

    void Listen(feeds::Feed& feed) {
        feed.SetLineHandler([this](const std::string& line) { Note(), lines.push_back(line); });
        feed.SetStatusHandler([this](const std::string& s) { Note(), statuses.push_back(s); });
        feed.SetLinkHandler([this](bool up, const std::string& reason) {
            Note(), link.push_back(up ? "up" : "down: " + reason);
        });
        feed.SetEndHandler([this] { Note(), ++ends; });
        feed.SetActivityHandler([this] { Note(), ++heard; });
    }
    void Note() { offThread = offThread || std::this_thread::get_id() != ui; }
    bool Said(const std::string& text) const {
        for (const auto& s : statuses)
            if (s.find(text) != std::string::npos) return true;
        return false;
    }
    std::string AllSaid() const {
        std::string all;
        for (const auto& s : statuses) all += s + "|";
        return all;
    }
    std::string Links() const {
        std::string all;
        for (const auto& l : link) all += (all.empty() ? "" : "|") + l;
        return all;
    }
};

class Loops {
public:
    Loops() { network.Start(); }
    ~Loops() { network.Stop(); }

    feeds::Loops ForFeeds() { return {network.Context(), queue}; }
    template <typename Source, typename... Args>
    std::unique_ptr<feeds::Feed> Make(Args&&... args) {
        return std::make_unique<feeds::Feed>(
            std::make_shared<Source>(ForFeeds(), std::forward<Args>(args)...));
    }

    // Drains what crossed and turns the test's own servers until the condition holds, for at
    // most `limit`.
    bool WaitFor(const std::function<bool()>& condition,
                 std::chrono::milliseconds limit = std::chrono::seconds(15)) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        for (;;) {
            queue.Drain();
            if (condition()) return true;
            if (std::chrono::steady_clock::now() > deadline) return false;
            servers.run_for(std::chrono::milliseconds(2));
        }
    }

    net::UiQueue queue;
    boost::asio::io_context servers;
    net::IoThread network;

private:
    boost::asio::executor_work_guard<boost::asio::io_context::executor_type> turning_{
        servers.get_executor()};
};

// A TCP server on 127.0.0.1 that keeps what each client sent.
class LoopbackServer {
public:
    struct Client {
        tcp::socket socket;
        std::string received;
        char buffer[4096];
    };

    explicit LoopbackServer(boost::asio::io_context& io, std::uint16_t port = 0)
        : acceptor_(io, tcp::endpoint(boost::asio::ip::address_v4::loopback(), port)) {
        Accept();
    }
    std::uint16_t Port() const { return acceptor_.local_endpoint().port(); }
    std::string Endpoint() const { return "127.0.0.1:" + std::to_string(Port()); }
    std::size_t Clients() const { return clients_.size(); }
    Client& Last() { return *clients_.back(); }

    void Send(const std::string& bytes) {
        auto kept = std::make_shared<std::string>(bytes);
        boost::asio::async_write(Last().socket, boost::asio::buffer(*kept),
                                 [kept](const boost::system::error_code&, std::size_t) {});
    }
    // The server goes away: its clients are dropped and nobody listens on its port.
    void Close() {
        boost::system::error_code ignored;
        acceptor_.close(ignored);
        for (auto& client : clients_) client->socket.close(ignored);
    }

private:
    void Accept() {
        acceptor_.async_accept([this](const boost::system::error_code& e, tcp::socket socket) {
            if (e) return;
            clients_.push_back(std::make_unique<Client>(Client{std::move(socket), {}, {}}));
            Read(*clients_.back());
            Accept();
        });
    }
    void Read(Client& client) {
        client.socket.async_read_some(
            boost::asio::buffer(client.buffer),
            [this, &client](const boost::system::error_code& e, std::size_t n) {
                if (e) return;
                client.received.append(client.buffer, n);
                Read(client);
            });
    }

    tcp::acceptor acceptor_;
    std::vector<std::unique_ptr<Client>> clients_;
};

}  // namespace feeds_test
