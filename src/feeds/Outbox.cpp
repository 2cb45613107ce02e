// Batching on the reading side, ordered delivery on the UI thread.
#include "feeds/Outbox.h"

#include <exception>

#include "platform/Log.h"

namespace feeds {

namespace {

// Runs a consumer's handler; whatever it throws stays here.
template <typename Call>
void Guarded(const char* what, Call&& call) {
    try {
        call();
    } catch (const std::exception& e) {
        platform::LogLine(platform::Level::Warning)
            << what << " could not be handled: " << e.what();
    } catch (...) {
        platform::LogLine(platform::Level::Warning) << what << " could not be handled";
    }
}

}  // namespace

void Inbox::Take(Piece piece) {
    pending_.push_back(std::move(piece));
    if (delivering_) return;  // the outer call delivers it, after what came before
    delivering_ = true;
    while (!pending_.empty()) {
        Piece next = std::move(pending_.front());
        pending_.pop_front();
        Deliver(next);
    }
    delivering_ = false;
}

void Inbox::Deliver(Piece& piece) {
    if (auto* lines = std::get_if<Lines>(&piece)) {
        DeliverLines(*lines);
        return;
    }
    if (silenced_) return;
    if (auto* status = std::get_if<Status>(&piece)) {
        if (handlers.status) Guarded("the feed's state", [&] { handlers.status(status->text); });
    } else if (auto* link = std::get_if<Link>(&piece)) {
        if (handlers.link)
            Guarded("the link's state", [&] { handlers.link(link->up, link->reason); });
    } else if (handlers.end) {
        Guarded("the feed's end", [&] { handlers.end(); });
    }
}

void Inbox::DeliverLines(Lines& batch) {
    if (!silenced_ && batch.heard && handlers.activity)
        Guarded("feed activity", [&] { handlers.activity(); });
    for (const std::string& line : batch.lines) {
        if (silenced_ || !handlers.line) break;
        Guarded("a received line", [&] { handlers.line(line); });
    }
    Handled(batch.lines.size());
}

void Inbox::Handled(std::size_t lines) {
    const std::size_t before = waiting_.fetch_sub(lines);
    // The reader stopped only with more than the bound waiting: it hears once, when half
    // of that has been handled.
    const std::size_t low = maxWaiting_ / 2;
    if (before > low && before - lines <= low && whenRoom) whenRoom();
}

Outbox::Outbox(net::UiQueue& queue, std::size_t maxWaitingLines)
    : queue_(queue), inbox_(std::make_shared<Inbox>(maxWaitingLines)) {}

void Outbox::Line(std::string tnc2Line) {
    heard_ = true;
    lines_.push_back(std::move(tnc2Line));
    if (lines_.size() < kBatchLines) return;
    Flush();
    lines_.reserve(kBatchLines);  // a fast reader fills the next batch too
}

void Outbox::Flush() {
    if (lines_.empty() && !heard_) return;
    inbox_->Sent(lines_.size());
    Send(Inbox::Lines{std::move(lines_), heard_});
    lines_.clear();
    heard_ = false;
}

void Outbox::Status(const std::string& text) {
    if (text == status_) return;
    status_ = text;
    Flush();
    Send(Inbox::Status{text});
}

void Outbox::LinkUp() {
    if (!linkDown_) return;
    linkDown_ = false;
    Flush();
    Send(Inbox::Link{true, {}});
}

void Outbox::LinkDown(const std::string& reason) {
    if (linkDown_) return;
    linkDown_ = true;
    Flush();
    Send(Inbox::Link{false, reason});
}

void Outbox::End() {
    if (ended_) return;
    ended_ = true;
    Flush();
    Send(Inbox::End{});
}

void Outbox::Send(Inbox::Piece piece) {
    queue_.Post(
        [inbox = inbox_, piece = std::move(piece)]() mutable { inbox->Take(std::move(piece)); });
}

}  // namespace feeds
