// The watch's events on the net's topics. Under PREFIX/WATCHER:
//   events/<kind>        every event as its --json line, with an "event_id" unique to the watcher
//                        ("WATCHER-START-SEQUENCE"), by which a consumer drops the copies QoS 1
//                        may bring; kinds: emergency, alarm, incident, feed, watch
//   incidents/<number>   retained: each open incident's current state; emptied when it closes
//   summary              retained: {"emergency":"ON"|"OFF","open_incidents":N}
//   status               retained: online/offline, "offline" as the last will (the Client's)
// and Home Assistant's discovery under homeassistant/.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "incidents/Events.h"
#include "incidents/IncidentBook.h"
#include "mqtt/Outbox.h"

namespace mqtt {

struct NetNames {
    std::string prefix;   // "sirenwatch", or several levels: "club/sirenwatch"
    std::string watcher;  // this watcher's name, one level: its callsign unless set

    std::string Base() const { return prefix + "/" + watcher; }
    std::string Status() const { return Base() + "/status"; }
    std::string Summary() const { return Base() + "/summary"; }
    std::string Events(std::string_view kind) const;
    std::string Incident(std::uint64_t number) const;
};

// The events' kind in their topic ("emergency", "incident"...); empty for those not published
// (a station's new position: the incident's retained state carries it).
std::string_view EventKind(const incidents::What& what);

// The incident as its retained message says it.
std::string IncidentState(const incidents::Incident& incident, const std::string& watcher);

// Home Assistant's discovery messages for the watcher: the "emergency" binary sensor (on while
// an incident that sounds waits for its acknowledgement) and the "open incidents" sensor.
std::vector<Message> DiscoveryMessages(const NetNames& names, const std::string& version);

class EventPublisher {
public:
    using Publish = std::function<std::size_t(Message)>;  // gives how many were given up
    using JsonLine = std::function<std::string(const incidents::Event&)>;

    // `session_s` (the watch's start) keeps event ids of a restarted watch apart.
    EventPublisher(NetNames names, const incidents::IncidentBook& book, JsonLine jsonLine,
                   Publish publish, std::int64_t session_s, std::string version);

    // A sink of the event stream.
    void Event(const incidents::Event& event);
    // After each connection (a broker restarted without its store forgets retained messages):
    // the discovery, the summary and every open incident's state again.
    void Refresh();
    // How many messages the outbox gave up since the last call.
    std::size_t TakeDropped();

private:
    void Send(Message message);
    void PublishIncident(const incidents::Incident* incident);
    void PublishSummary(bool always);

    NetNames names_;
    const incidents::IncidentBook& book_;
    JsonLine jsonLine_;
    Publish publish_;
    std::string idPrefix_;
    std::uint64_t sequence_ = 0;
    std::string version_;
    std::string summary_;  // as last published
    std::size_t dropped_ = 0;
};

}  // namespace mqtt
