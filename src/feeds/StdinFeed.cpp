// Standard input on a reading thread: one read of up to 64 KiB at a time, its lines handed
// on as one batch, and no reading while too many lines wait for the UI thread.
#include "feeds/StdinFeed.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <optional>
#include <thread>

#include "decode/Replay.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace feeds {

namespace {

bool Open(int fd) {
#ifdef _WIN32
    if (_get_osfhandle(fd) == -1) return false;
    _setmode(fd, _O_BINARY);
    return true;
#else
    return fcntl(fd, F_GETFD) != -1;
#endif
}

// Bytes read, 0 at the end, -1 on an error (errno says which).
long ReadSome(int fd, char* buffer, unsigned size) {
#ifdef _WIN32
    return _read(fd, buffer, size);
#else
    return static_cast<long>(::read(fd, buffer, size));
#endif
}

}  // namespace

StdinFeed::StdinFeed(Loops loops, int fd) : Source(loops.ui, "standard input"), fd_(fd) {}

void StdinFeed::Start() {
    std::weak_ptr<Source> weak = shared_from_this();
    Out().WhenRoom([this, weak] {
        if (auto self = weak.lock()) {
            std::lock_guard lock(mutex_);
            room_.notify_one();
        }
    });
    std::thread([self = std::static_pointer_cast<StdinFeed>(shared_from_this())] {
        self->ReadToTheEnd();
    }).detach();
}

void StdinFeed::Stop() {
    std::lock_guard lock(mutex_);
    stopped_ = true;
    room_.notify_one();
}

void StdinFeed::ReadToTheEnd() {
    if (!Open(fd_)) return Finish(Describe() + ": not open");
    {
        std::lock_guard lock(mutex_);
        if (stopped_) return;
        Out().Status(Describe() + ": reading");
    }
    std::array<char, 65536> buffer;
    for (;;) {
        const long n = ReadSome(fd_, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return Finish(Describe() + ": " + std::strerror(errno));
        if (n == 0) {
            Take("\n");  // a last line without a line end still counts
            return Finish(Describe() + ": ended");
        }
        if (!Take(std::string_view(buffer.data(), static_cast<std::size_t>(n)))) return;
    }
}

bool StdinFeed::Take(std::string_view bytes) {
    std::unique_lock lock(mutex_);
    if (stopped_) return false;
    std::optional<double> time_s;  // a timestamp is allowed and paces nothing here
    for (auto& line : lines_.Feed(bytes)) {
        if (decode::ParseReplayLine(line, time_s)) Out().Line(std::move(line));
    }
    Out().Flush();
    room_.wait(lock, [this] { return stopped_ || !Out().Full(); });
    return !stopped_;
}

void StdinFeed::Finish(const std::string& status) {
    std::lock_guard lock(mutex_);
    if (stopped_) return;
    Out().Status(status);
    Out().End();
}

}  // namespace feeds
