// AGWPE over TCP to monitor lines.
#include "qt_host/feeds/AgwpeFeed.h"

#include "decode/Ax25.h"

namespace qt_host::feeds {

void AgwpeFeed::OnConnected() {
    const std::string request = decode::AgwpeRawMonitorRequest();
    Socket().write(request.data(), static_cast<qint64>(request.size()));
}

void AgwpeFeed::OnBytes(std::string_view bytes) {
    for (const auto& frame : deframer_.Feed(bytes)) {
        if (frame.kind != 'K') continue;  // answers to other requests, if a server sends any
        if (auto line = decode::Ax25ToTnc2(decode::AgwpeRawAx25(frame)))
            DeliverLine(*line);
        else
            ++notUi_;
    }
    // Without delimiters a stream out of step cannot be read again: start a new link.
    if (deframer_.outOfStep()) Drop("the server sent something that is not AGWPE");
}

}  // namespace qt_host::feeds
