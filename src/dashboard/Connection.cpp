// A dashboard connection's life: head, body, answer, lingering close, or the stream.
#include "dashboard/Connection.h"

#include <boost/asio/write.hpp>
#include <boost/beast/http/error.hpp>
#include <boost/beast/http/read.hpp>
#include <exception>

namespace dashboard {

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
    const Request head = RequestOf(parser_->get(), peer_);
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
    Request request = RequestOf(parser_->get(), peer_);
    request.body = parser_->get().body();
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

}  // namespace dashboard
