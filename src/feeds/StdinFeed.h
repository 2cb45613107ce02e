// Monitor lines on standard input (the replay format: an optional timestamp is ignored), read
// by a thread of its own with plain blocking reads, the same on Linux and Windows. The end of
// input ends the feed.
#pragma once

#include <condition_variable>
#include <mutex>

#include "decode/AprsIs.h"
#include "feeds/Feed.h"

namespace feeds {

class StdinFeed final : public Source {
public:
    // fd is standard input unless a test passes a pipe.
    explicit StdinFeed(Loops loops, int fd = 0);

    void Start() override;
    // A thread blocked in a read cannot be woken: it is let go, and tells nothing more.
    void Stop() override;

private:
    void ReadToTheEnd();
    // Hands on what one read gave; false once stopped.
    bool Take(std::string_view bytes);
    void Finish(const std::string& status);

    int fd_;
    decode::LineSplitter lines_;
    std::mutex mutex_;
    std::condition_variable room_;
    bool stopped_ = false;
};

}  // namespace feeds
