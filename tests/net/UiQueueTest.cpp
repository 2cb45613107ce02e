// Work from the network loop reaches the UI thread whole, in order, with one wake per burst,
// and a failing task does not stop the ones behind it.
#include <gtest/gtest.h>

#include <atomic>
#include <boost/asio/post.hpp>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

#include "net/IoThread.h"
#include "net/UiQueue.h"

namespace {

template <typename Condition>
bool WaitFor(Condition condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::yield();
    }
    return true;
}

TEST(UiQueueTest, TasksFromTheLoopRunInOrderOnTheDrainingThreadWithOneWakePerBurst) {
    net::UiQueue queue;
    std::atomic<int> wakes = 0;
    queue.SetWaker([&] { ++wakes; });
    net::IoThread loop;
    loop.Start();
    std::vector<int> seen;
    const auto ui = std::this_thread::get_id();
    bool allOnUi = true;
    loop.RunAndWait([&] {
        for (int i = 0; i < 1000; ++i)
            queue.Post([&, i] {
                seen.push_back(i);
                allOnUi = allOnUi && std::this_thread::get_id() == ui;
            });
    });
    EXPECT_EQ(wakes, 1);
    EXPECT_EQ(queue.Drain(), 1000u);
    ASSERT_EQ(seen.size(), 1000u);
    for (int i = 0; i < 1000; ++i) EXPECT_EQ(seen[i], i);
    EXPECT_TRUE(allOnUi);

    boost::asio::post(loop.Context(), [&] { queue.Post([] {}); });
    EXPECT_TRUE(WaitFor([&] { return wakes == 2; }));
    loop.Stop();
}

TEST(UiQueueTest, AFailingTaskIsDroppedAndTheNextRuns) {
    net::UiQueue queue;
    int ran = 0;
    queue.Post([] { throw std::runtime_error("bad frame"); });
    queue.Post([&] { ++ran; });
    EXPECT_EQ(queue.Drain(), 2u);
    EXPECT_EQ(ran, 1);
    EXPECT_EQ(queue.Waiting(), 0u);
}

TEST(UiQueueTest, TheLoopOutlivesAThrowingHandlerAndStopsPromptly) {
    net::IoThread loop;
    loop.Start();
    boost::asio::post(loop.Context(), [] { throw std::runtime_error("handler failed"); });
    std::atomic<bool> after = false;
    boost::asio::post(loop.Context(), [&] { after = true; });
    EXPECT_TRUE(WaitFor([&] { return after.load(); }));
    loop.Stop();
    EXPECT_FALSE(loop.Running());
}

}  // namespace
