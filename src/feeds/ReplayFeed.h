// Replay of recorded traffic: one monitor line per line, paced by the lines' timestamps or,
// when fast, as fast as the program takes them. The file is read as it is replayed, so a
// capture of any length costs no memory: lines due at once go in batches, and reading stops
// while too many wait for the UI thread.
#pragma once

#include <boost/asio/steady_timer.hpp>
#include <cstddef>
#include <fstream>
#include <optional>
#include <string>

#include "decode/Replay.h"
#include "feeds/Feed.h"

namespace feeds {

class ReplayFeed final : public Source {
public:
    ReplayFeed(Loops loops, std::string file, bool fast);

    // Opens the file; one that cannot be read ends the feed at once with a status.
    void Start() override;
    void Stop() override;

private:
    void Open();
    void Next();
    void ScheduleNext();
    void Resume();
    double DelayOfNext_s() const;
    void ReadAhead() { next_ = decode::ReadReplayLine(in_); }
    std::shared_ptr<ReplayFeed> Self() {
        return std::static_pointer_cast<ReplayFeed>(shared_from_this());
    }

    boost::asio::io_context& io_;
    std::string file_;
    bool fast_;
    std::ifstream in_;
    std::size_t total_ = 0;  // lines in the file
    std::optional<decode::ReplayLine> next_;
    std::optional<double> lastTime_s_;
    boost::asio::steady_timer timer_;
    bool paused_ = false;
    bool stopped_ = false;
};

}  // namespace feeds
