// A source of TNC2 monitor lines for the built-in host. Each feed reads on the network loop's
// thread (standard input on a thread of its own) and tells its consumer on the UI thread,
// through the one UiQueue; the consumer sees only the Feed handle.
#pragma once

#include <boost/asio/io_context.hpp>
#include <memory>
#include <string>

#include "feeds/Outbox.h"
#include "net/UiQueue.h"

namespace feeds {

// Where feeds read and where they tell: the network loop (its thread running, or not yet) and
// the queue into the UI thread. Both outlive every feed made with them.
struct Loops {
    boost::asio::io_context& io;
    net::UiQueue& ui;
};

// The reading side of a feed. Its work runs on its own thread; Start and Stop may be called
// from the UI thread and only hand the work over.
class Source : public std::enable_shared_from_this<Source> {
public:
    Source(net::UiQueue& ui, std::string description)
        : out_(ui), description_(std::move(description)) {}
    virtual ~Source() = default;
    Source(const Source&) = delete;
    Source& operator=(const Source&) = delete;

    virtual void Start() = 0;
    // No more reading; what is under way ends quietly.
    virtual void Stop() = 0;
    // What the feed reads from, for status texts ("KISS 127.0.0.1:8001").
    const std::string& Describe() const { return description_; }
    Outbox& Out() { return out_; }

private:
    Outbox out_;
    std::string description_;
};

// The UI thread's handle on a feed: handlers are set before Start; destroying the handle
// stops the feed, and nothing is told after that.
class Feed {
public:
    using LineHandler = std::function<void(const std::string& tnc2Line)>;
    using StatusHandler = std::function<void(const std::string& status)>;
    using EndHandler = std::function<void()>;
    using ActivityHandler = std::function<void()>;
    using LinkHandler = std::function<void(bool up, const std::string& reason)>;

    explicit Feed(std::shared_ptr<Source> source) : source_(std::move(source)) {}
    ~Feed() { Stop(); }
    Feed(const Feed&) = delete;
    Feed& operator=(const Feed&) = delete;

    void SetLineHandler(LineHandler handler) { Handlers().line = std::move(handler); }
    // Told whenever the state of the feed changes ("connected to ...", "retrying in 2 s").
    void SetStatusHandler(StatusHandler handler) { Handlers().status = std::move(handler); }
    // Told once when a feed with an end (a file, standard input) has delivered its last line.
    void SetEndHandler(EndHandler handler) { Handlers().end = std::move(handler); }
    // Told whenever anything arrives, traffic or not (an APRS-IS server comment counts):
    // what the silence watchdog listens to.
    void SetActivityHandler(ActivityHandler handler) { Handlers().activity = std::move(handler); }
    // Told when the link goes down (refused, lost, a device gone; the reason in words) and
    // when it is up again, once each way. A file or standard input has no link to lose.
    void SetLinkHandler(LinkHandler handler) { Handlers().link = std::move(handler); }

    void Start() { source_->Start(); }
    void Stop();
    const std::string& Describe() const { return source_->Describe(); }

private:
    feeds::Handlers& Handlers() { return source_->Out().UiHandlers(); }

    std::shared_ptr<Source> source_;
    bool stopped_ = false;
};

// "2", "0.05": a number of seconds as the status texts give it.
std::string SecondsText(int milliseconds);

}  // namespace feeds
