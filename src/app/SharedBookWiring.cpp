// Wiring the shared incident book to the MQTT net and to this watcher's own book and siren.
#include "app/SharedBookWiring.h"

#include <variant>

#include "platform/Log.h"

namespace app {
namespace {

constexpr char kSpeaker[] = "mqtt";
using incidents::IncidentBook;
using net_book::SharedBook;

}  // namespace

std::string BookChangesTopic(const mqtt::NetNames& names) {
    return names.Base() + "/book/changes";
}

std::string BookIncidentTopic(const mqtt::NetNames& names, const net_book::NetKey& key) {
    return names.Base() + "/book/incidents/" + key.watcher + "/" + std::to_string(key.number);
}

std::string BookFilter(const mqtt::NetNames& names) {
    return names.prefix + "/+/book/#";
}

std::string BookTopicWatcher(const mqtt::NetNames& names, std::string_view topic) {
    const std::string start = names.prefix + "/";
    if (topic.substr(0, start.size()) != start) return {};
    topic.remove_prefix(start.size());
    const auto slash = topic.find('/');
    if (slash == std::string_view::npos || topic.substr(slash + 1, 5) != "book/") return {};
    return std::string(topic.substr(0, slash));
}

SharedBookLink::SharedBookLink(mqtt::NetNames names, incidents::IncidentBook& book,
                               incidents::Stream& events, forms::FrmMain& main, Publish publish,
                               EpochClock clock)
    : names_(std::move(names)),
      book_(book),
      main_(main),
      publish_(std::move(publish)),
      clock_(std::move(clock)),
      shared_(names_.watcher, [&book] { return book.ReserveNumber(); }) {
    shared_.SetNoticeSink([this](const SharedBook::Notice& notice) { Follow(notice); });
    book_.SetOperatorGate(
        [this](const incidents::OperatorCommand& command) { return Judge(command); });
    events.Subscribe([this, alive = std::weak_ptr<bool>(alive_)](const incidents::Event& event) {
        if (!alive.expired()) LocalEvent(event);
    });
}

SharedBookLink::~SharedBookLink() {
    alive_.reset();
    book_.SetOperatorGate({});
    shared_.SetNoticeSink({});
}

void SharedBookLink::Receive(const mqtt::Incoming& message) {
    if (message.payload.empty()) return;  // a retained snapshot cleared
    const std::string watcher = BookTopicWatcher(names_, message.topic);
    if (watcher.empty()) return;
    const SharedBook::Received received = shared_.Receive(message.payload, watcher, clock_());
    Send(received.out);
    if (received.accepted) NoteSites();
    if (received.accepted && received.why.empty()) return;
    if (++refusals_ > kRefusalsTold) return;
    std::string topic = message.topic.substr(0, 200);  // the broker's, but a member chose it
    for (char& c : topic)
        if (static_cast<unsigned char>(c) < 0x20) c = '?';
    platform::LogLine(platform::Level::Warning, kSpeaker)
        << "from " << topic << ": " << received.why
        << (refusals_ == kRefusalsTold ? " (further refusals are not told)" : "");
}

void SharedBookLink::Connected() {
    Send(shared_.Snapshots());
}

void SharedBookLink::Expire() {
    Send(shared_.Expire(clock_()));
}

// This watcher's own station side: what its book opened, heard again or stood down.
void SharedBookLink::LocalEvent(const incidents::Event& event) {
    if (following_) return;
    SharedBook::Out out;
    if (const auto* changed = std::get_if<incidents::IncidentChange>(&event.what)) {
        const incidents::Change& c = changed->change;
        if (!c.operatorName.empty()) return;  // operators' actions pass the gate instead
        if (c.action == incidents::Action::Open || c.action == incidents::Action::Reopen)
            out = shared_.Heard(c.incident, c.callsign, c.time_s, c.grade);
        else if (c.action == incidents::Action::StandDown)
            out = shared_.StoodDown(c.incident, c.time_s);
    } else if (const auto* emergency = std::get_if<incidents::Emergency>(&event.what)) {
        const incidents::Incident* incident =
            book_.Latest(emergency->panel[incidents::Box::Callsign]);
        if (incident != nullptr && incident->state != incidents::State::Closed)
            out = shared_.Heard(incident->id, incident->callsign, event.time_s, incident->grade);
    }
    if (out.empty()) return;
    Send(out);
    NoteSites();
}

// An operator's action on an incident the net holds is judged by the net's picture of it
// first, and goes out before this book applies it; one the net does not hold stays local.
IncidentBook::Outcome SharedBookLink::Judge(const incidents::OperatorCommand& command) {
    if (shared_.Find(command.incident) == nullptr)
        return {true, IncidentBook::Refusal::None, {}, command.incident};
    // What this book would refuse does not go out either, so the net never holds an action
    // this watcher does not.
    if (IncidentBook::Outcome here = AsHeldHere(command); !here.done) return here;
    following_ = true;  // what the book notices now is this very action: the local book does it
    SharedBook::Acted acted = shared_.Act(command);
    following_ = false;
    Send(acted.out);
    if (!acted.outcome.done && acted.outcome.refusal == IncidentBook::Refusal::None)
        platform::LogLine(platform::Level::Warning, kSpeaker)
            << "incident " << command.incident << ": " << acted.why;
    return acted.outcome;
}

namespace {

std::vector<std::string> SitesOf(const net_book::NetIncident& net) {
    std::vector<std::string> sites;
    for (const net_book::Site& site : net.sites) sites.push_back(site.watcher);
    return sites;
}

}  // namespace

void SharedBookLink::NoteSites() {
    shared_.ForEach([this](const net_book::NetIncident& net) {
        const incidents::Incident* local = book_.Find(net.incident.id);
        if (local != nullptr && local->sites.size() != net.sites.size())
            book_.NoteSites(net.incident.id, SitesOf(net));
    });
}

IncidentBook::Outcome SharedBookLink::AsHeldHere(incidents::OperatorCommand command) const {
    const incidents::Incident* local = book_.Find(command.incident);
    if (local == nullptr)
        return {false, IncidentBook::Refusal::NoSuchIncident, {}, command.incident};
    IncidentBook scratch;
    incidents::Incident copy = *local;
    copy.history.clear();
    const std::uint64_t id = copy.id;
    scratch.Restore({std::move(copy)}, id + 1);
    return scratch.Apply(command);
}

void SharedBookLink::Follow(const SharedBook::Notice& notice) {
    if (following_) return;
    const net_book::NetIncident* net = shared_.Find(notice.incident);
    if (net == nullptr) return;
    std::vector<std::string> sites = SitesOf(*net);
    std::int64_t time_s = clock_();
    std::string who = notice.by, note;
    for (auto entry = net->log.rbegin(); entry != net->log.rend(); ++entry) {
        if (!entry->applied) continue;
        time_s = entry->change.time_s;
        if (!entry->change.operatorName.empty())
            who = entry->change.operatorName + " at " + entry->change.watcher;
        note = entry->change.note;
        break;
    }
    following_ = true;
    if (book_.Find(notice.incident) == nullptr) CloseUnsharedCopy(*net);
    book_.Follow(net->incident, std::move(sites), time_s, who, note);
    following_ = false;
    const incidents::Incident* local = book_.Find(notice.incident);
    if (notice.sound && local != nullptr && local->heldBackReason.empty() &&
        !main_.TimerAllarme.TimerEnabled())
        main_.TimerAllarme.SetTimerEnabled(true);
    if (notice.silence) SilenceIfNothingNew();
}

// An incident kept from before a restart that the net opened elsewhere comes back from the net
// under a number of its own; the kept copy, which the net does not know, is closed for it.
void SharedBookLink::CloseUnsharedCopy(const net_book::NetIncident& net) {
    const incidents::Incident* kept = book_.Latest(net.incident.callsign);
    if (kept == nullptr || kept->state == incidents::State::Closed ||
        shared_.Find(kept->id) != nullptr)
        return;
    incidents::Incident closed = *kept;
    closed.state = incidents::State::Closed;
    book_.Follow(
        closed, kept->sites, clock_(), shared_.Watcher(),
        "continued as incident " + std::to_string(net.incident.id) + ", shared on the net");
}

// The siren stops here once no incident that sounds is new any more, as the window's button
// stops it.
void SharedBookLink::SilenceIfNothingNew() {
    if (!main_.TimerAllarme.TimerEnabled()) return;
    bool anyNew = false;
    book_.ForEach([&anyNew](const incidents::Incident& i) {
        if (i.state == incidents::State::New && i.heldBackReason.empty()) anyNew = true;
    });
    if (!anyNew && main_.CmdTacitaAllarme.onClick) main_.CmdTacitaAllarme.onClick();
}

void SharedBookLink::Send(const SharedBook::Out& out) {
    for (const SharedBook::Outgoing& o : out) {
        if (o.kind == SharedBook::Outgoing::Kind::Change)
            publish_({BookChangesTopic(names_), o.payload, false, true});
        else
            publish_({BookIncidentTopic(names_, o.key), o.payload, true, false});
    }
}

}  // namespace app
