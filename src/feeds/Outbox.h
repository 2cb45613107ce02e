// What a feed tells its consumer, carried from the thread that reads to the UI thread through
// the one UiQueue: lines in batches, and the changes of state between them, in order.
#pragma once

#include <atomic>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "net/UiQueue.h"

namespace feeds {

// What the consumer hears, always on the UI thread.
struct Handlers {
    std::function<void(const std::string& tnc2Line)> line;
    // Whenever the state of the feed changes ("connected to ...", "retrying in 2 s").
    std::function<void(const std::string& status)> status;
    // Once, when a feed with an end (a file, standard input) has delivered its last line.
    std::function<void()> end;
    // Whenever anything arrives, traffic or not: what the silence watchdog listens to.
    std::function<void()> activity;
    // When the link goes down (with the reason in words) and when it is up again.
    std::function<void(bool up, const std::string& reason)> link;
};

// The UI thread's end: takes what crossed, one piece at a time and never re-entered, so a
// handler that lets events in while it works (a message box) does not reorder the lines.
class Inbox {
public:
    struct Lines {
        std::vector<std::string> lines;
        bool heard = false;
    };
    struct Status {
        std::string text;
    };
    struct Link {
        bool up = false;
        std::string reason;
    };
    struct End {};
    using Piece = std::variant<Lines, Status, Link, End>;

    explicit Inbox(std::size_t maxWaitingLines) : maxWaiting_(maxWaitingLines) {}

    Handlers handlers;
    // Told when the reader, stopped by too many lines waiting, may read on (UI thread).
    std::function<void()> whenRoom;

    void Take(Piece piece);
    // Nothing more is told: the consumer is going away.
    void Silence() { silenced_ = true; }

    void Sent(std::size_t lines) { waiting_ += lines; }
    bool Full() const { return waiting_.load() > maxWaiting_; }
    std::size_t Waiting() const { return waiting_.load(); }

private:
    void Deliver(Piece& piece);
    void DeliverLines(Lines& lines);
    void Handled(std::size_t lines);

    std::size_t maxWaiting_;
    std::atomic<std::size_t> waiting_ = 0;  // lines sent and not yet handled
    std::deque<Piece> pending_;
    bool delivering_ = false;
    bool silenced_ = false;
};

// The reading side's end, used by one thread at a time: lines gather into a batch that
// crosses whole; a change of state sends the lines before it first.
class Outbox {
public:
    static constexpr std::size_t kBatchLines = 512;
    // A reader stops while more lines than this wait for the UI thread, and reads on once
    // half of them are handled: a fast replay never queues the whole file.
    static constexpr std::size_t kMaxWaitingLines = 4096;

    explicit Outbox(net::UiQueue& queue, std::size_t maxWaitingLines = kMaxWaitingLines);

    // The UI thread, before the feed starts.
    Handlers& UiHandlers() { return inbox_->handlers; }
    void WhenRoom(std::function<void()> resume) { inbox_->whenRoom = std::move(resume); }
    void Silence() { inbox_->Silence(); }

    // The reading side.
    void Line(std::string tnc2Line);  // sent with the next Flush, or when a batch is full
    void Heard() { heard_ = true; }   // something arrived; told with the next Flush
    void Flush();
    void Status(const std::string& text);  // told when it differs from the last
    void LinkUp();                         // each told once per change
    void LinkDown(const std::string& reason);
    void End();  // told once
    // More lines wait than the bound: read no more until WhenRoom's resume.
    bool Full() const { return inbox_->Full(); }

private:
    void Send(Inbox::Piece piece);

    net::UiQueue& queue_;
    std::shared_ptr<Inbox> inbox_;
    std::vector<std::string> lines_;
    bool heard_ = false;
    std::string status_;
    bool linkDown_ = false;
    bool ended_ = false;
};

}  // namespace feeds
