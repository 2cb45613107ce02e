// Turning the watch's events and incidents into the net's messages.
#include "mqtt/EventPublisher.h"

#include <nlohmann/json.hpp>

#include "incident_outlets/IsoTime.h"

namespace mqtt {
namespace {

using nlohmann::json;

std::string Dump(const json& value) {
    // Text from the air need not be UTF-8: what is not becomes U+FFFD.
    return value.dump(-1, ' ', false, json::error_handler_t::replace);
}

bool Precious(const incidents::What& what) {
    return std::holds_alternative<incidents::Emergency>(what) ||
           std::holds_alternative<incidents::AlarmOn>(what) ||
           std::holds_alternative<incidents::IncidentChange>(what);
}

// Home Assistant's ids allow letters, digits, '_' and '-'.
std::string NodeId(const std::string& watcher) {
    std::string id = "sirenwatch_";
    for (const char c : watcher) {
        const bool plain =
            (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-';
        id += plain ? c : '_';
    }
    return id;
}

const incidents::Incident* LatestOf(const incidents::IncidentBook& book,
                                    const incidents::What& what) {
    if (const auto* change = std::get_if<incidents::IncidentChange>(&what))
        return book.Find(change->change.incident);
    if (const auto* e = std::get_if<incidents::Emergency>(&what))
        return book.Latest(e->panel[incidents::Box::Callsign]);
    if (const auto* p = std::get_if<incidents::Position>(&what)) return book.Latest(p->callsign);
    return nullptr;
}

}  // namespace

std::string NetNames::Events(std::string_view kind) const {
    return Base() + "/events/" + std::string(kind);
}

std::string NetNames::Incident(std::uint64_t number) const {
    return Base() + "/incidents/" + std::to_string(number);
}

std::string_view EventKind(const incidents::What& what) {
    using namespace incidents;
    if (std::holds_alternative<Emergency>(what)) return "emergency";
    if (std::holds_alternative<AlarmOn>(what) || std::holds_alternative<Acknowledged>(what))
        return "alarm";
    if (std::holds_alternative<IncidentChange>(what)) return "incident";
    if (std::holds_alternative<WatchStarted>(what) || std::holds_alternative<WatchStopped>(what))
        return "watch";
    if (std::holds_alternative<Position>(what)) return {};
    return "feed";
}

std::string IncidentState(const incidents::Incident& i, const std::string& watcher) {
    json state{{"incident", i.id},
               {"watcher", watcher},
               {"callsign", i.callsign},
               {"state", incidents::StateKey(i.state)},
               {"grade", incidents::GradeKey(i.grade)},
               {"handler", i.handler},
               {"held_back", i.heldBackReason},
               {"opened", incidents::IsoTime(i.opened_s)},
               {"last_heard", incidents::IsoTime(i.lastHeard_s)},
               {"frames", i.frames}};
    if (i.position) {
        state["latitude_deg"] = i.position->latitude_deg;
        state["longitude_deg"] = i.position->longitude_deg;
    }
    if (!i.history.empty()) {
        const incidents::Change& last = i.history.back();
        state["last_change"] = {{"action", incidents::ActionKey(last.action)},
                                {"operator", last.operatorName},
                                {"note", last.note},
                                {"time", incidents::IsoTime(last.time_s)}};
    }
    return Dump(state);
}

std::vector<Message> DiscoveryMessages(const NetNames& names, const std::string& version) {
    const std::string node = NodeId(names.watcher);
    const json device{{"identifiers", {node}},
                      {"name", "Sirenwatch " + names.watcher},
                      {"manufacturer", "Sirenwatch"},
                      {"sw_version", version}};
    const auto config = [&](const char* object, const char* name, const char* template_) {
        return json{{"name", name},
                    {"unique_id", node + "_" + object},
                    {"object_id", node + "_" + object},
                    {"state_topic", names.Summary()},
                    {"value_template", template_},
                    {"availability_topic", names.Status()},
                    {"payload_available", "online"},
                    {"payload_not_available", "offline"},
                    {"device", device}};
    };
    json emergency = config("emergency", "Emergency", "{{ value_json.emergency }}");
    emergency["payload_on"] = "ON";
    emergency["payload_off"] = "OFF";
    emergency["device_class"] = "safety";
    json open = config("open_incidents", "Open incidents", "{{ value_json.open_incidents }}");
    open["state_class"] = "measurement";
    open["icon"] = "mdi:alarm-light";
    return {{"homeassistant/binary_sensor/" + node + "/emergency/config", Dump(emergency), true},
            {"homeassistant/sensor/" + node + "/open_incidents/config", Dump(open), true}};
}

EventPublisher::EventPublisher(NetNames names, const incidents::IncidentBook& book,
                               JsonLine jsonLine, Publish publish, std::int64_t session_s,
                               std::string version)
    : names_(std::move(names)),
      book_(book),
      jsonLine_(std::move(jsonLine)),
      publish_(std::move(publish)),
      idPrefix_(names_.watcher + "-" + std::to_string(session_s) + "-"),
      version_(std::move(version)) {}

void EventPublisher::Event(const incidents::Event& event) {
    const std::string_view kind = EventKind(event.what);
    if (!kind.empty()) {
        std::string line = jsonLine_(event);
        if (line.ends_with('}')) {
            line.pop_back();
            if (line.size() > 1) line += ',';
            line += "\"event_id\":";
            line += Dump(idPrefix_ + std::to_string(++sequence_));
            line += '}';
        }
        Send({names_.Events(kind), std::move(line), false, Precious(event.what)});
    }
    if (const auto* incident = LatestOf(book_, event.what)) PublishIncident(incident);
    PublishSummary(false);
}

void EventPublisher::Refresh() {
    for (Message& message : DiscoveryMessages(names_, version_)) Send(std::move(message));
    PublishSummary(true);
    book_.ForEach([this](const incidents::Incident& incident) {
        if (incident.state != incidents::State::Closed) PublishIncident(&incident);
    });
}

std::size_t EventPublisher::TakeDropped() {
    return std::exchange(dropped_, 0);
}

void EventPublisher::Send(Message message) {
    dropped_ += publish_(std::move(message));
}

void EventPublisher::PublishIncident(const incidents::Incident* incident) {
    const bool closed = incident->state == incidents::State::Closed;
    Send({names_.Incident(incident->id),
          closed ? std::string() : IncidentState(*incident, names_.watcher), true, false});
}

void EventPublisher::PublishSummary(bool always) {
    bool waiting = false;
    std::size_t open = 0;
    book_.ForEach([&](const incidents::Incident& i) {
        if (i.state == incidents::State::Closed) return;
        ++open;
        waiting = waiting || (i.state == incidents::State::New && i.heldBackReason.empty());
    });
    std::string summary =
        Dump(json{{"emergency", waiting ? "ON" : "OFF"}, {"open_incidents", open}});
    if (!always && summary == summary_) return;
    summary_ = summary;
    Send({names_.Summary(), std::move(summary), true, false});
}

}  // namespace mqtt
