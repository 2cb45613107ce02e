// Standard input through a socket notifier: one read per wake-up, so a long input is handled
// in slices between other events.
#include "qt_host/feeds/StdinFeed.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>

#include "decode/Replay.h"

namespace qt_host::feeds {

StdinFeed::StdinFeed(int fd, QObject* parent) : Feed(parent), fd_(fd) {}

void StdinFeed::Start() {
    if (fcntl(fd_, F_GETFD) == -1) {
        End(Describe() + ": not open");
        return;
    }
    notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &StdinFeed::ReadAvailable);
    SetStatus(Describe() + ": reading");
}

void StdinFeed::ReadAvailable() {
    // A slice of about a thousand lines: a few milliseconds of work between other events.
    std::array<char, 65536> buffer;
    const ssize_t n = ::read(fd_, buffer.data(), buffer.size());
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) return;
    if (n < 0) {
        End(Describe() + ": " + QString::fromLocal8Bit(std::strerror(errno)));
        return;
    }
    if (n == 0) {
        // A last line without a line end still counts.
        for (const auto& line : lines_.Feed("\n")) {
            if (auto parsed = decode::ParseReplayLine(line)) DeliverLine(parsed->tnc2);
        }
        End(Describe() + ": ended");
        return;
    }
    // A modal box opened while a line is handled runs a nested event loop; keep this
    // notifier quiet until the slice is done so lines stay in order.
    notifier_->setEnabled(false);
    for (const auto& line :
         lines_.Feed(std::string_view(buffer.data(), static_cast<std::size_t>(n)))) {
        if (auto parsed = decode::ParseReplayLine(line)) DeliverLine(parsed->tnc2);
    }
    if (notifier_) notifier_->setEnabled(true);
}

void StdinFeed::End(const QString& status) {
    if (notifier_) notifier_->setEnabled(false);
    SetStatus(status);
    Finish();
}

}  // namespace qt_host::feeds
