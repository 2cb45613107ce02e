// The dashboard server's loop side: accepting within limits, the state, streams and actions.
#include "dashboard/ServerCore.h"

#include <boost/asio/post.hpp>
#include <exception>

#include "dashboard/Connection.h"

namespace dashboard {

// Connections past the limit that are still told so, rather than closed at once.
constexpr int kRefusalRoom = 16;

void ServerCore::Register(Connection* connection) {
    all.insert(connection);
    ++perAddress[connection->Peer()];
    openCount = int(all.size());
}

void ServerCore::Unregister(Connection* connection) {
    all.erase(connection);
    if (--perAddress[connection->Peer()] <= 0) perAddress.erase(connection->Peer());
    openCount = int(all.size());
}

platform::Result<void> ServerCore::Listen(const tcp::endpoint& where) {
    error_code error;
    acceptor.open(where.protocol(), error);
    if (!error) acceptor.set_option(tcp::acceptor::reuse_address(true), error);
    if (!error) acceptor.bind(where, error);
    if (!error) acceptor.listen(asio::socket_base::max_listen_connections, error);
    if (error) {
        error_code ignored;
        acceptor.close(ignored);
        return platform::Fail(error.message());
    }
    port = acceptor.local_endpoint(error).port();
    stopped = false;
    Accept();
    KeepAlive();
    return {};
}

void ServerCore::Accept() {
    acceptor.async_accept([self = shared_from_this()](error_code error, tcp::socket socket) {
        if (self->stopped) return;
        if (!error) {
            self->Accepted(std::move(socket));
            return self->Accept();
        }
        // Out of file handles, say: wait a little rather than spin.
        self->acceptRetry.expires_after(Milliseconds(100));
        self->acceptRetry.async_wait([self](error_code e) {
            if (!e && !self->stopped) self->Accept();
        });
    });
}

void ServerCore::Accepted(tcp::socket socket) {
    error_code error;
    const auto remote = socket.remote_endpoint(error);
    if (error) return;
    const std::string peer = remote.address().to_string();
    // At a limit, the connection that has waited longest on its client makes room: a reader
    // too slow to take its answer, a head that does not come. Otherwise one address past its
    // share is closed at once (it is flooding); beyond the shared limit a short refusal is
    // still written, to a bounded number more, and past that the connection is closed too.
    if (FromAddress(peer) >= settings.maxPerAddress && !EvictStalled(&peer)) return;
    if (Open() >= settings.maxConnections) EvictStalled(nullptr);
    if (Open() >= settings.maxConnections + kRefusalRoom) return;
    const auto connection =
        std::make_shared<Connection>(shared_from_this(), std::move(socket), peer);
    if (Open() > settings.maxConnections)
        return connection->Refuse(503, "too many connections: try again soon");
    connection->Start();
}

bool ServerCore::EvictStalled(const std::string* peer) {
    const Clock::time_point stalledBefore = Clock::now() - settings.stallGrace;
    Connection* oldest = nullptr;
    for (Connection* connection : all) {
        if (peer != nullptr && connection->Peer() != *peer) continue;
        if (connection->WaitingSince() < stalledBefore &&
            (oldest == nullptr || connection->WaitingSince() < oldest->WaitingSince()))
            oldest = connection;
    }
    if (oldest == nullptr) return false;
    CloseStream(oldest);
    return true;
}

void ServerCore::Stop() {
    stopped = true;
    error_code ignored;
    acceptor.close(ignored);
    pushTimer.cancel();
    keepAliveTimer.cancel();
    acceptRetry.cancel();
    streams.clear();
    for (Connection* connection : std::vector<Connection*>(all.begin(), all.end()))
        connection->Abort();
    waiting.clear();
}

void ServerCore::NoteChanged() {
    if (changePosted.exchange(true)) return;
    asio::post(io, [self = shared_from_this()] {
        self->changePosted = false;
        self->OnChanged();
    });
}

void ServerCore::OnChanged() {
    stale = true;
    if (pushTimerRunning || stopped) return;
    pushTimerRunning = true;
    pushTimer.expires_after(settings.pushDelay);
    pushTimer.async_wait([self = shared_from_this()](error_code error) {
        self->pushTimerRunning = false;
        if (!error && !self->streams.empty()) self->AskState();
    });
}

// Each request gets the state as it is now (its clock too), rendered once for all who ask
// meanwhile; the streams get what changed after the gathering delay.
void ServerCore::WhenState(std::function<void(const Text&, std::uint64_t)> then) {
    waiting.push_back(std::move(then));
    AskState();
}

// The UI thread renders the state once for everyone who waits for it.
void ServerCore::AskState() {
    if (asking || stopped) return;
    asking = true;
    stale = false;  // a change from now on asks again
    ui.Post([self = shared_from_this()] {
        if (!self->alive || !*self->alive) return;
        auto json = std::make_shared<const std::string>(self->render());
        asio::post(self->io, [self, json] { self->StateArrived(json); });
    });
}

void ServerCore::StateArrived(Text json) {
    asking = false;
    if (stopped) return;
    current = std::move(json);
    ++version;
    for (auto& then : std::exchange(waiting, {})) then(current, version);
    Push();
    if (stale && !streams.empty()) OnChanged();
}

void ServerCore::Push() {
    for (const auto& stream : std::vector<std::shared_ptr<Connection>>(streams))
        stream->PushState(current, version);
}

void ServerCore::KeepAlive() {
    keepAliveTimer.expires_after(settings.keepAlive);
    keepAliveTimer.async_wait([self = shared_from_this()](error_code error) {
        if (error || self->stopped) return;
        for (const auto& stream : std::vector<std::shared_ptr<Connection>>(self->streams))
            stream->PushComment();
        self->KeepAlive();
    });
}

void ServerCore::OpenStream(const std::shared_ptr<Connection>& connection) {
    int fromPeer = 0;
    for (const auto& stream : streams) fromPeer += stream->Peer() == connection->Peer();
    if (int(streams.size()) >= settings.maxStreams || fromPeer >= settings.maxStreamsPerAddress)
        return connection->Refuse(503, "too many open pages");
    streams.push_back(connection);
    WhenState(
        [weak = std::weak_ptr<Connection>(connection)](const Text& state, std::uint64_t version) {
            if (const auto stream = weak.lock()) stream->BeginStream(state, version);
        });
}

void ServerCore::CloseStream(Connection* connection) {
    std::erase_if(streams, [connection](const auto& stream) { return stream.get() == connection; });
    connection->Abort();
}

void ServerCore::Act(const std::shared_ptr<Connection>& connection, const Action& action) {
    ui.Post([self = shared_from_this(), connection, action] {
        if (!self->alive || !*self->alive) return;
        ActionResult result;
        try {
            result = self->act(action);
        } catch (const std::exception& e) {
            result = platform::Fail(std::string("failed: ") + e.what());
        }
        asio::post(self->io, [connection, result] {
            connection->Answer(RequestHandler::ActionDone(result));
        });
    });
}

}  // namespace dashboard
