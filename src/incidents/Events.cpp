// Passing events to their sinks.
#include "incidents/Events.h"

#include <chrono>
#include <exception>

#include "platform/Log.h"

namespace incidents {

Stream::Stream(EpochClock clock) : clock_(std::move(clock)) {
    if (!clock_) {
        clock_ = [] {
            return std::chrono::duration_cast<std::chrono::seconds>(
                       std::chrono::system_clock::now().time_since_epoch())
                .count();
        };
    }
}

void Stream::Emit(What what) {
    Emit(Event{clock_(), std::move(what)});
}

void Stream::Emit(const Event& event) {
    for (const Sink& sink : sinks_) {
        try {
            sink(event);
        } catch (const std::exception& e) {
            platform::LogLine(platform::Level::Warning)
                << "sirenwatch: an event could not be passed on: " << e.what();
        }
    }
}

}  // namespace incidents
