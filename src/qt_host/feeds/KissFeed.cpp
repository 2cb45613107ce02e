// KISS over TCP to monitor lines.
#include "qt_host/feeds/KissFeed.h"

#include "decode/Ax25.h"

namespace qt_host::feeds {

void KissFeed::OnBytes(std::string_view bytes) {
    for (const auto& frame : deframer_.Feed(bytes)) {
        if (auto line = decode::Ax25ToTnc2(frame))
            DeliverLine(*line);
        else
            ++notUi_;
    }
}

}  // namespace qt_host::feeds
