// Replay of a recorded file on the network loop.
#include "feeds/ReplayFeed.h"

#include <algorithm>
#include <boost/asio/post.hpp>
#include <cmath>
#include <filesystem>

#include "platform/Paths.h"

namespace feeds {

namespace asio = boost::asio;

namespace {

// Lines due at once handed on in one turn of the loop, so a stop is heard between turns.
constexpr std::size_t kTurnLines = 4 * Outbox::kBatchLines;

std::size_t CountLines(std::istream& in) {
    std::size_t count = 0;
    while (decode::ReadReplayLine(in)) ++count;
    return count;
}

std::string Description(const std::string& file, bool fast) {
    return "replay " + std::filesystem::path(file).filename().string() + (fast ? " (fast)" : "");
}

}  // namespace

ReplayFeed::ReplayFeed(Loops loops, std::string file, bool fast)
    : Source(loops.ui, Description(file, fast)),
      io_(loops.io),
      file_(std::move(file)),
      fast_(fast),
      timer_(loops.io) {}

void ReplayFeed::Start() {
    std::weak_ptr<ReplayFeed> weak = Self();
    Out().WhenRoom([this, weak] {
        if (auto self = weak.lock()) asio::post(io_, [self] { self->Resume(); });
    });
    asio::post(io_, [self = Self()] { self->Open(); });
}

void ReplayFeed::Stop() {
    asio::post(io_, [self = Self()] {
        self->stopped_ = true;
        self->timer_.cancel();
    });
}

void ReplayFeed::Open() {
    std::error_code ignored;
    in_.open(platform::FilePath(file_), std::ios::binary);
    if (!in_ || std::filesystem::is_directory(file_, ignored)) {
        Out().Status(Describe() + ": cannot read " + file_);
        Out().End();
        return;
    }
    // Counted first, for the status; then read again from the start as it is replayed.
    total_ = CountLines(in_);
    in_.clear();
    in_.seekg(0);
    Out().Status(Describe() + ": " + std::to_string(total_) + " lines");
    ReadAhead();
    ScheduleNext();
}

double ReplayFeed::DelayOfNext_s() const {
    const double delay_s = fast_ ? 0 : decode::ReplayDelay_s(lastTime_s_, *next_);
    return std::isfinite(delay_s) && delay_s > 0 ? delay_s : 0;
}

void ReplayFeed::ScheduleNext() {
    if (stopped_) return;
    if (!next_) {
        Out().Status(Describe() + ": finished, " + std::to_string(total_) + " lines");
        Out().End();
        return;
    }
    const double delay_s = DelayOfNext_s();
    if (delay_s == 0) {
        asio::post(io_, [self = Self()] { self->Next(); });
        return;
    }
    // A gap of weeks in a capture waits 24 days at most.
    const auto delay =
        std::chrono::milliseconds(static_cast<std::int64_t>(std::min(delay_s * 1000.0, 2.0e9)));
    timer_.expires_after(delay);
    timer_.async_wait([self = Self()](const boost::system::error_code& e) {
        if (!e) self->Next();
    });
}

void ReplayFeed::Next() {
    if (stopped_) return;
    std::size_t handed = 0;
    do {
        decode::ReplayLine line = std::move(*next_);
        if (line.time_s) lastTime_s_ = line.time_s;
        ReadAhead();
        Out().Line(std::move(line.tnc2));
        ++handed;
    } while (next_ && DelayOfNext_s() == 0 && handed < kTurnLines && !Out().Full());
    Out().Flush();
    if (Out().Full())
        paused_ = true;
    else
        ScheduleNext();
}

void ReplayFeed::Resume() {
    if (!paused_) return;
    paused_ = false;
    ScheduleNext();
}

}  // namespace feeds
