#include "net/IoThread.h"

#include <boost/asio/post.hpp>
#include <future>

#include "platform/Log.h"

namespace net {

IoThread::IoThread() = default;

IoThread::~IoThread() {
    Stop();
}

void IoThread::Start() {
    if (thread_.joinable()) return;
    context_.restart();
    work_.emplace(context_.get_executor());
    thread_ = std::thread([this] {
        for (;;) {
            try {
                context_.run();
                return;
            } catch (const std::exception& e) {
                // A handler that throws must not end the watch: say it and go on.
                platform::LogLine(platform::Level::Error, "network") << e.what();
            }
        }
    });
}

void IoThread::Stop() {
    if (!thread_.joinable()) return;
    work_.reset();
    context_.stop();
    if (OnLoopThread()) {
        thread_.detach();
        return;
    }
    thread_.join();
}

void IoThread::RunAndWait(const std::function<void()>& task) {
    if (!Running() || OnLoopThread()) {
        task();
        return;
    }
    std::promise<void> done;
    auto finished = done.get_future();
    boost::asio::post(context_, [&] {
        try {
            task();
            done.set_value();
        } catch (...) {
            done.set_exception(std::current_exception());
        }
    });
    finished.get();
}

}  // namespace net
