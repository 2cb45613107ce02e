// A small program on the watch core: reads a KISS TNC over TCP with the feed the program
// uses and prints the first COUNT lines it hears, its states on standard error. Usage:
//   feed_lines HOST PORT COUNT      (exit 0 once COUNT lines came, 1 when 20 s went by first)
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>

#include "feeds/KissTcpFeed.h"
#include "net/IoThread.h"
#include "net/UiQueue.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: feed_lines HOST PORT COUNT\n");
        return 2;
    }
    const std::size_t wanted = std::strtoul(argv[3], nullptr, 10);
    net::UiQueue queue;
    std::mutex mutex;
    std::condition_variable woken;
    bool posted = false;
    queue.SetWaker([&] {
        std::lock_guard lock(mutex);
        posted = true;
        woken.notify_one();
    });
    net::IoThread network;
    network.Start();
    feeds::Feed feed(std::make_shared<feeds::KissTcpFeed>(
        feeds::Loops{network.Context(), queue}, argv[1],
        static_cast<std::uint16_t>(std::strtoul(argv[2], nullptr, 10))));
    std::size_t heard = 0;
    feed.SetLineHandler([&](const std::string& line) {
        std::printf("%s\n", line.c_str());
        ++heard;
    });
    feed.SetStatusHandler(
        [](const std::string& status) { std::fprintf(stderr, "%s\n", status.c_str()); });
    feed.Start();
    // This thread is the UI thread: it drains what crossed whenever the queue wakes it.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (heard < wanted) {
        std::unique_lock lock(mutex);
        if (!woken.wait_until(lock, deadline, [&] { return posted; })) break;
        posted = false;
        lock.unlock();
        queue.Drain();
    }
    std::fflush(stdout);
    feed.Stop();
    network.Stop();
    return heard >= wanted ? 0 : 1;
}
