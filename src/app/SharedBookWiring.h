// The incident book the watchers of one net share, carried on the MQTT net: this watcher's
// emergencies, stand-downs and operators' actions go out; what the others did comes into the
// local book once, saying which watcher did it; the siren follows the shared state.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "forms/FrmMain.h"
#include "incidents/Events.h"
#include "incidents/IncidentBook.h"
#include "mqtt/Client.h"
#include "mqtt/EventPublisher.h"
#include "net_book/SharedBook.h"

namespace app {

// The book's topics, beside the events' under PREFIX/WATCHER: book/changes (each change once,
// not retained) and book/incidents/OPENER/NUMBER (retained: the incident's whole log as this
// watcher has it). A watcher reads every watcher's book: PREFIX/+/book/#.
std::string BookChangesTopic(const mqtt::NetNames& names);
std::string BookIncidentTopic(const mqtt::NetNames& names, const net_book::NetKey& key);
std::string BookFilter(const mqtt::NetNames& names);
// The watcher a topic of the net's books names; empty when it is not one of them.
std::string BookTopicWatcher(const mqtt::NetNames& names, std::string_view topic);

class SharedBookLink {
public:
    using Publish = std::function<void(mqtt::Message)>;
    using EpochClock = std::function<std::int64_t()>;
    static constexpr std::size_t kRefusalsTold = 20;  // then only counted

    SharedBookLink(mqtt::NetNames names, incidents::IncidentBook& book, incidents::Stream& events,
                   forms::FrmMain& main, Publish publish, EpochClock clock);
    ~SharedBookLink();
    SharedBookLink(const SharedBookLink&) = delete;
    SharedBookLink& operator=(const SharedBookLink&) = delete;

    // A message of one of the net's books.
    void Receive(const mqtt::Incoming& message);
    // On every (re)connection: the incidents this watcher changed, retained again.
    void Connected();
    // Once a minute.
    void Expire();

private:
    void LocalEvent(const incidents::Event& event);
    incidents::IncidentBook::Outcome Judge(const incidents::OperatorCommand& command);
    incidents::IncidentBook::Outcome AsHeldHere(incidents::OperatorCommand command) const;
    void Follow(const net_book::SharedBook::Notice& notice);
    void CloseUnsharedCopy(const net_book::NetIncident& net);
    void SilenceIfNothingNew();
    // A site joining changes no state, so no notice tells it: the local book asks after each
    // change.
    void NoteSites();
    void Send(const net_book::SharedBook::Out& out);

    mqtt::NetNames names_;
    incidents::IncidentBook& book_;
    forms::FrmMain& main_;
    Publish publish_;
    EpochClock clock_;
    net_book::SharedBook shared_;
    bool following_ = false;  // the local book takes the net's change: not sent back
    std::size_t refusals_ = 0;
    // The event stream outlives the link and has no unsubscribing: its sink asks this first.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace app
