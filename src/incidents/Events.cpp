// Passing events to their sinks.
#include "incidents/Events.h"

#include <chrono>
#include <exception>

#include "platform/Log.h"

namespace incidents {

std::string WhereFromHome(const Emergency& e, std::string_view degrees) {
    const std::string& distance = e.panel[Box::Distance];
    if (distance == "-----") return "position unknown";
    return distance + " " + e.unit + " away, bearing " + e.panel[Box::Bearing] +
           (degrees == "°" ? "" : " ") + std::string(degrees);
}

platform::Level LevelOf(const What& what) {
    if (std::holds_alternative<Emergency>(what) || std::holds_alternative<AlarmOn>(what))
        return platform::Level::Critical;
    if (std::holds_alternative<FeedSilent>(what) || std::holds_alternative<FeedDown>(what))
        return platform::Level::Warning;
    if (std::holds_alternative<Acknowledged>(what) || std::holds_alternative<FeedBack>(what) ||
        std::holds_alternative<FeedUp>(what))
        return platform::Level::Notice;
    return platform::Level::Info;
}

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
                << "an event could not be passed on: " << e.what();
        }
    }
}

bool HeldBack(const IncidentBook& book, const Event& event) {
    const auto* emergency = std::get_if<Emergency>(&event.what);
    return emergency != nullptr && HeldBack(book, emergency->panel[Box::Callsign]);
}

bool HeldBack(const IncidentBook& book, const std::string& callsign) {
    const Incident* incident = book.Latest(callsign);
    return incident != nullptr && !incident->heldBackReason.empty();
}

std::string HeldBackReason(const IncidentBook& book, const std::string& callsign) {
    const Incident* incident = book.Latest(callsign);
    return incident != nullptr && incident->state != State::Closed ? incident->heldBackReason
                                                                   : std::string();
}

}  // namespace incidents
