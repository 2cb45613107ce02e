// The dashboard's connections on the network loop: limits, deadlines, Beast's parser, the
// state asked of the UI thread, the event streams and the actions handed to it.
#include "dashboard/DashboardServer.h"

#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/write.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/http/error.hpp>
#include <boost/beast/http/parser.hpp>
#include <boost/beast/http/read.hpp>
#include <boost/beast/http/string_body.hpp>
#include <cctype>
#include <exception>
#include <functional>
#include <map>
#include <unordered_set>
#include <utility>  // before Boost.Asio, whose headers miss it under C++20
#include <vector>

#include "basemap/BaseMap.h"
#include "dashboard/DashboardJson.h"
#include "dashboard/RequestHandler.h"
#include "net/IoThread.h"
#include "net/UiQueue.h"
#include "platform/Log.h"

namespace dashboard {

namespace asio = boost::asio;
namespace http = boost::beast::http;
using tcp = asio::ip::tcp;
using boost::system::error_code;
using Text = std::shared_ptr<const std::string>;

// Connections past the limit that are still told so, rather than closed at once.
constexpr int kRefusalRoom = 16;

class Connection;

// The server's state on the loop's thread; what is shared with the UI thread crosses only by
// posts and the UiQueue.
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

// One client's connection: its request read within limits, one answer, or the stream.
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

// --- Connection ------------------------------------------------------------------------------

void Connection::Unregister() {
    if (registered_) core_->Unregister(this);
    registered_ = false;
}

void Connection::Arm(Milliseconds limit, bool onClient) {
    waitingSince_ = onClient ? Clock::now() : Clock::time_point::max();
    deadline_.expires_after(limit);
    deadline_.async_wait([self = weak_from_this()](error_code error) {
        const auto connection = self.lock();
        if (error || !connection) return;
        connection->timedOut_ = true;
        error_code ignored;
        // Reading: the read ends and the request is answered as too slow; writing: dropped.
        if (connection->writing_ || connection->streaming_)
            connection->socket_.close(ignored);
        else
            connection->socket_.cancel(ignored);
    });
}

void Connection::Start() {
    parser_.emplace();
    parser_->header_limit(std::uint32_t(core_->settings.maxHeadBytes));
    parser_->body_limit(core_->settings.maxBodyBytes);
    Arm(core_->settings.headTimeout);
    ReadHead();
}

void Connection::ReadHead() {
    http::async_read_header(
        socket_, buffer_, *parser_,
        [self = shared_from_this()](error_code error, std::size_t) { self->HeadRead(error); });
}

void Connection::HeadRead(error_code error) {
    if (error) return ReadFailed(error);
    // Room is kept for those who hold the token: near the limits, the others wait.
    const ServerSettings& s = core_->settings;
    Request head;
    head.target = std::string(parser_->get().target());
    for (const auto& field : parser_->get()) {
        std::string name(field.name_string());
        for (char& c : name) c = char(std::tolower(static_cast<unsigned char>(c)));
        head.headers[name] = std::string(field.value());
    }
    const bool crowded = core_->Open() > s.maxConnections - s.keptForTokenHolders ||
                         core_->FromAddress(peer_) > s.maxPerAddressWithoutToken;
    if (crowded && !core_->handler.HoldsAccess(head, Clock::now()))
        return Refuse(503, "too many connections: try again soon");
    if (parser_->is_done()) return Dispatch();
    Arm(s.requestTimeout);
    http::async_read(socket_, buffer_, *parser_,
                     [self = shared_from_this()](error_code e, std::size_t) { self->BodyRead(e); });
}

void Connection::BodyRead(error_code error) {
    if (error) return ReadFailed(error);
    Dispatch();
}

void Connection::ReadFailed(error_code error) {
    if (timedOut_) return Refuse(408, "request took too long");
    if (error == http::error::header_limit) return Refuse(431, "the request's head is too large");
    if (error == http::error::body_limit) return Refuse(413, "request too large");
    if (error.category() == http::make_error_code(http::error::bad_target).category() &&
        error != http::error::end_of_stream && error != http::error::partial_message)
        return Refuse(400, "not a well-formed HTTP/1 request: " + error.message());
    error_code ignored;
    socket_.close(ignored);  // the client went away
}

void Connection::Dispatch() {
    deadline_.cancel();
    waitingSince_ = Clock::time_point::max();
    Request request;
    const auto& message = parser_->get();
    request.method = std::string(message.method_string());
    request.target = std::string(message.target());
    request.version = message.version();
    for (const auto& field : message) {
        std::string name(field.name_string());
        for (char& c : name) c = char(std::tolower(static_cast<unsigned char>(c)));
        request.headers[name] = std::string(field.value());
    }
    request.body = message.body();
    request.peer = peer_;
    parser_.reset();
    Reply reply;
    try {
        reply = core_->handler.Handle(request, Clock::now());
    } catch (const std::exception& e) {  // the loop goes on; the page is told
        reply = RequestHandler::Error(500, std::string("failed: ") + e.what());
    }
    switch (reply.kind) {
        case Reply::Kind::Answer:
            return Answer(reply);
        case Reply::Kind::State:
            Arm(core_->settings.writeTimeout, false);
            return core_->WhenState(
                [self = shared_from_this(), reply](const Text& state, std::uint64_t) mutable {
                    reply.kind = Reply::Kind::Answer;
                    reply.body = state;
                    self->Answer(reply);
                });
        case Reply::Kind::Stream:
            return core_->OpenStream(shared_from_this());
        case Reply::Kind::Act:
            Arm(core_->settings.writeTimeout, false);
            return core_->Act(shared_from_this(), reply.action);
    }
}

void Connection::Answer(const Reply& reply) {
    const std::size_t length = reply.body ? reply.body->size() : 0;
    Send(core_->handler.Head(reply, length), reply.headOnly ? nullptr : reply.body);
}

void Connection::Refuse(int status, const std::string& why) {
    Answer(RequestHandler::Error(status, why, status == 503 ? "Retry-After: 5\r\n" : ""));
}

void Connection::Send(std::string head, Text body) {
    if (!socket_.is_open()) return;
    writing_ = true;
    Arm(core_->settings.writeTimeout);
    auto headText = std::make_shared<const std::string>(std::move(head));
    std::array<asio::const_buffer, 2> buffers{asio::buffer(*headText),
                                              body ? asio::buffer(*body) : asio::const_buffer()};
    asio::async_write(socket_, buffers,
                      [self = shared_from_this(), headText, body](error_code error, std::size_t) {
                          self->writing_ = false;
                          if (error) {
                              error_code ignored;
                              self->socket_.close(ignored);
                              return;
                          }
                          self->Linger();
                      });
}

// After the answer: no more to send, and what the client still sends is read and dropped for
// a moment, so that closing does not reset the link before the client has read the answer.
void Connection::Linger() {
    error_code ignored;
    socket_.shutdown(tcp::socket::shutdown_send, ignored);
    Arm(Milliseconds(1000));
    DropWhatComes();
}

void Connection::DropWhatComes() {
    socket_.async_read_some(asio::buffer(discard_),
                            [self = shared_from_this()](error_code error, std::size_t) {
                                if (!error && !self->timedOut_) return self->DropWhatComes();
                                error_code ignored;
                                self->deadline_.cancel();
                                self->socket_.close(ignored);
                            });
}

// Closed now, and no longer counted: what it still has queued on the loop ends in a moment.
void Connection::Abort() {
    error_code ignored;
    deadline_.cancel();
    socket_.close(ignored);
    Unregister();
}

void Connection::BeginStream(const Text& state, std::uint64_t version) {
    streaming_ = true;
    sentVersion_ = version;
    StreamWrite(std::make_shared<const std::string>(RequestHandler::StreamHead() +
                                                    "event: state\ndata: " + *state + "\n\n"));
    WatchStreamEnd();
}

void Connection::PushState(const Text& state, std::uint64_t version) {
    if (version <= sentVersion_) return;
    sentVersion_ = version;
    StreamWrite(std::make_shared<const std::string>("event: state\ndata: " + *state + "\n\n"));
}

void Connection::PushComment() {
    if (!writing_) StreamWrite(std::make_shared<const std::string>(": still here\n\n"));
}

// One message at a time; of those that wait, only the latest: a page needs only the current
// state, and a reader too slow for one message in the write deadline is dropped.
void Connection::StreamWrite(Text message) {
    if (!socket_.is_open()) return;
    if (writing_) {
        nextMessage_ = std::move(message);
        return;
    }
    writing_ = true;
    Arm(core_->settings.writeTimeout);
    asio::async_write(socket_, asio::buffer(*message),
                      [self = shared_from_this(), message](error_code error, std::size_t) {
                          self->writing_ = false;
                          self->deadline_.cancel();
                          self->waitingSince_ = Clock::time_point::max();
                          if (error) {
                              self->core_->CloseStream(self.get());
                              return;
                          }
                          if (Text next = std::exchange(self->nextMessage_, nullptr))
                              self->StreamWrite(std::move(next));
                      });
}

// A stream's client sends nothing more: anything it sends, or its leaving, ends the stream.
void Connection::WatchStreamEnd() {
    socket_.async_read_some(asio::buffer(discard_),
                            [self = shared_from_this()](error_code, std::size_t) {
                                self->core_->CloseStream(self.get());
                            });
}

// --- ServerCore ------------------------------------------------------------------------------

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

// --- DashboardServer -------------------------------------------------------------------------

bool IsLoopbackAddress(const std::string& address) {
    error_code error;
    const auto parsed = asio::ip::make_address(address, error);
    if (error) return false;
    if (parsed.is_v6() && parsed.to_v6().is_v4_mapped())
        return asio::ip::make_address_v4(asio::ip::v4_mapped, parsed.to_v6()).is_loopback();
    return parsed.is_loopback();
}

platform::Result<void> CanListen(const std::string& address, std::uint16_t port) {
    asio::io_context io;
    error_code error;
    const auto parsed = asio::ip::make_address(address, error);
    if (error) return platform::Fail("not an IP address: " + address);
    tcp::acceptor acceptor(io);
    const tcp::endpoint where(parsed, port);
    acceptor.open(where.protocol(), error);
    if (!error) acceptor.set_option(tcp::acceptor::reuse_address(true), error);
    if (!error) acceptor.bind(where, error);
    if (!error) acceptor.listen(1, error);
    if (error) return platform::Fail(error.message());
    return {};
}

DashboardServer::DashboardServer(Source& source, ServerSettings settings, net::IoThread& io,
                                 net::UiQueue& ui)
    : source_(source),
      settings_(std::move(settings)),
      io_(io),
      ui_(ui),
      alive_(std::make_shared<std::atomic<bool>>(true)) {
    source_.SetChangeListener([this] {
        if (core_) core_->NoteChanged();
    });
}

DashboardServer::~DashboardServer() {
    *alive_ = false;
    source_.SetChangeListener(nullptr);
    if (core_) io_.RunAndWait([core = core_] { core->Stop(); });
}

void DashboardServer::SetBaseMap(std::shared_ptr<const basemap::BaseMap> map) {
    baseMapJson_ = map ? SafeJson(BaseMapGeoJson(*map)) : std::string();
}

platform::Result<void> DashboardServer::Start() {
    const std::string& address = settings_.address;
    if (!IsLoopbackAddress(address) && settings_.token.empty())
        return platform::Fail("the dashboard listens beyond this machine (" + address +
                              ") only with an access token: set DashboardToken in the host's "
                              "settings, or leave the address out to listen on loopback");
    if (!IsLoopbackAddress(address) && settings_.token.size() < kMinRemoteTokenChars)
        return platform::Fail("the dashboard listens beyond this machine (" + address +
                              ") only with an access token of at least " +
                              std::to_string(kMinRemoteTokenChars) + " characters");
    error_code error;
    const auto parsed = asio::ip::make_address(address, error);
    if (error)
        return platform::Fail("the dashboard cannot listen on " + address + ": not an IP address");
    auto core = std::make_shared<ServerCore>(io_.Context(), ui_, settings_);
    core->alive = alive_;
    core->render = [this] { return StateJson(); };
    core->act = [this](const Action& action) { return source_.Act(action); };
    if (const auto loaded = core->handler.LoadPage(settings_.pageFolder); !loaded) return loaded;
    if (!baseMapJson_.empty()) core->handler.SetBaseMapJson(baseMapJson_);
    platform::Result<void> listening;
    const tcp::endpoint where(parsed, settings_.port);
    io_.RunAndWait([&] { listening = core->Listen(where); });
    if (!listening)
        return platform::Fail("the dashboard cannot listen on " + address + " port " +
                              std::to_string(settings_.port) + ": " + listening.error().text);
    port_ = core->Port();
    core_ = std::move(core);
    return {};
}

std::string DashboardServer::StateJson() const {
    nlohmann::json state = SnapshotJson(source_.Current());
    state["tileUrl"] = settings_.tileUrl;
    state["tileAttribution"] = settings_.tileAttribution;
    state["actions"] = !settings_.token.empty();
    return SafeJson(state);
}

std::string DashboardServer::Url() const {
    const bool v6 = settings_.address.find(':') != std::string::npos;
    return "http://" + (v6 ? "[" + settings_.address + "]" : settings_.address) + ":" +
           std::to_string(port_) + "/";
}

int DashboardServer::OpenConnections() const {
    return core_ ? core_->openCount.load() : 0;
}

}  // namespace dashboard
