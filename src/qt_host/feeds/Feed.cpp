// Common delivery of lines, status and end for every feed.
#include "qt_host/feeds/Feed.h"

#include <exception>

#include "platform/Log.h"

namespace qt_host::feeds {

void Feed::DeliverLine(const std::string& line) {
    NoteActivity();
    if (!onLine_) return;
    try {
        onLine_(line);
    } catch (const std::exception& e) {
        platform::LogLine(platform::Level::Warning)
            << "a received line could not be handled: " << e.what();
    } catch (...) {
        platform::Log(platform::Level::Warning, "a received line could not be handled");
    }
}

void Feed::SetStatus(const QString& status) {
    if (status == status_) return;
    status_ = status;
    if (onStatus_) onStatus_(status_);
}

void Feed::NoteActivity() {
    if (!onActivity_) return;
    try {
        onActivity_();
    } catch (const std::exception& e) {
        platform::LogLine(platform::Level::Warning)
            << "feed activity could not be handled: " << e.what();
    }
}

void Feed::LinkUp() {
    if (!linkDown_) return;
    linkDown_ = false;
    if (onLink_) onLink_(true, {});
}

void Feed::LinkDown(const QString& reason) {
    if (linkDown_) return;
    linkDown_ = true;
    if (onLink_) onLink_(false, reason);
}

void Feed::Finish() {
    if (finished_) return;
    finished_ = true;
    if (onEnd_) onEnd_();
}

}  // namespace qt_host::feeds
