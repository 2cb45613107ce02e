// The watch as the dashboard sees it, with operators' actions passed to the incident book.
#include "app/WatchBoard.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace app {

namespace dash = qt_host::dashboard;

namespace {

constexpr double kKmPerDegreeLatitude = 111.2;
// Who acknowledges when the dashboard's operator gave no name.
constexpr char kUnnamedOperator[] = "dashboard";

std::string GradeWords(incidents::EvidenceGrade grade, const incidents::Evidence* e) {
    switch (grade) {
        case incidents::EvidenceGrade::MicEEmergency:
            return "Mic-E Emergency";
        case incidents::EvidenceGrade::CustomType:
            return "message type " + (e != nullptr ? e->messageType : std::string("(custom)"));
        case incidents::EvidenceGrade::CommentText:
            return "!EMERGENCY! in the comment";
        case incidents::EvidenceGrade::None:
            break;
    }
    return "none";
}

std::string Summary(const incidents::Evidence& e) {
    std::string text = e.cause + "; " + std::to_string(e.count) + " packet(s); last: " + e.frame;
    if (e.path.viaInternet) text += "; via the Internet";
    if (!e.path.heardFrom.empty()) text += "; heard from " + e.path.heardFrom;
    return text;
}

// "being_handled" as people read it.
std::string StateWords(incidents::State state) {
    std::string words(incidents::StateKey(state));
    std::replace(words.begin(), words.end(), '_', ' ');
    return words;
}

// The host's colours are 0x00BBGGRR.
std::string HtmlColor(std::int32_t color) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", unsigned(color & 0xff),
                  unsigned((color >> 8) & 0xff), unsigned((color >> 16) & 0xff));
    return text;
}

std::uint64_t IncidentId(const std::string& text) {
    std::uint64_t id = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), id);
    return ec == std::errc() && end == text.data() + text.size() ? id : 0;
}

}  // namespace

incidents::Observation ObservationOf(const decode::Decoded& frame, std::int64_t time_s,
                                     std::string_view emergencyType,
                                     builtin_host::BuiltinHost& host) {
    incidents::Observation o;
    o.callsign = frame.source;
    o.time_s = time_s;
    const std::string& type = frame.messageType;
    const bool fromMicE = !type.empty() && !frame.emergencyInComment;
    o.micEEmergency = fromMicE && type == "EMERGENCY";
    o.commentText = frame.emergencyInComment;
    o.customType = fromMicE && emergencyType != "EMERGENCY" && type == emergencyType;
    o.micEOtherMessage = fromMicE && !o.micEEmergency && !o.customType;
    if (frame.latitude_deg && frame.longitude_deg) {
        o.position = incidents::GeoPoint{*frame.latitude_deg, *frame.longitude_deg};
        const auto& home = host.Stations().Home();
        if (home.latitude_deg != 0 || home.longitude_deg != 0) {
            try {
                double distance_km = 0, bearing = 0;
                host.DistanceAndBearing(home.latitude_deg, home.longitude_deg, *frame.latitude_deg,
                                        *frame.longitude_deg, distance_km, bearing, false);
                o.distanceFromHome_km = distance_km;
            } catch (const std::exception&) {
                // A point out of range: its distance stays unknown.
            }
        }
    }
    o.frameKey = frame.parts.source + '>' + frame.parts.destination + ':' + frame.parts.payload;
    return o;
}

bool HeldBack(const incidents::IncidentBook& book, const incidents::Event& event) {
    const auto* emergency = std::get_if<incidents::Emergency>(&event.what);
    if (emergency == nullptr) return false;
    const incidents::Incident* incident = book.Latest(emergency->panel[incidents::Box::Callsign]);
    return incident != nullptr && !incident->heldBackReason.empty();
}

WatchBoard::WatchBoard(builtin_host::BuiltinHost& host, forms::FrmMain& form,
                       incidents::IncidentBook& book, std::string homeCallsign, EpochClock clock)
    : host_(host),
      form_(form),
      book_(book),
      homeCallsign_(std::move(homeCallsign)),
      clock_(std::move(clock)) {}

dash::Snapshot WatchBoard::Current() const {
    dash::Snapshot s;
    s.now_s = clock_();
    s.alarmOn = form_.TimerAllarme.TimerEnabled();
    s.feed = feed_;
    s.watchGap = watchGap_;
    s.homeCallsign = homeCallsign_;
    const auto& home = host_.Stations().Home();
    if (home.latitude_deg != 0 || home.longitude_deg != 0)
        s.home_deg = std::make_pair(home.latitude_deg, home.longitude_deg);

    book_.ForEach([&](const incidents::Incident& incident) {
        const incidents::Evidence* e = incident.evidence.get();  // its own, not the station's
        dash::IncidentView i;
        i.id = std::to_string(incident.id);
        i.callsign = incident.callsign;
        i.state = StateWords(incident.state);
        i.grade = GradeWords(incident.grade, e);
        i.firstHeard_s = incident.opened_s;
        i.lastHeard_s = incident.lastHeard_s;
        i.operatorName = incident.handler;
        for (const incidents::Change& change : incident.history)
            if (!change.note.empty())
                i.notes.push_back({change.time_s, change.operatorName, change.note});
        if (i.notes.size() > kMaxNotes)
            i.notes.erase(i.notes.begin(), i.notes.end() - static_cast<long>(kMaxNotes));
        if (e != nullptr) i.evidence = Summary(*e);
        i.heldBack = incident.heldBackReason;
        if (incident.position) {
            i.latitude_deg = incident.position->latitude_deg;
            i.longitude_deg = incident.position->longitude_deg;
        }
        s.incidents.push_back(std::move(i));
    });
    std::stable_sort(s.incidents.begin(), s.incidents.end(), [](const auto& a, const auto& b) {
        const bool aOpen = a.state != "closed", bOpen = b.state != "closed";
        return aOpen != bOpen ? aOpen : a.lastHeard_s > b.lastHeard_s;
    });
    if (s.incidents.size() > kMaxIncidents) s.incidents.resize(kMaxIncidents);

    std::vector<const builtin_host::StationData*> heard;
    host_.Stations().ForEach([&](const builtin_host::StationData& st) {
        if (st.latitude_deg && st.longitude_deg) heard.push_back(&st);
    });
    std::sort(heard.begin(), heard.end(), [](auto* a, auto* b) { return a->heard > b->heard; });
    if (heard.size() > kMaxStations) heard.resize(kMaxStations);
    for (const auto* st : heard) {
        const auto gt = st->beaconText.find('>');
        const incidents::Incident* incident = book_.Latest(st->callsign);
        s.stations.push_back(
            {.callsign = st->callsign,
             .latitude_deg = *st->latitude_deg,
             .longitude_deg = *st->longitude_deg,
             .comment = gt == std::string::npos ? st->beaconText : st->beaconText.substr(gt + 1),
             .emergency = incident != nullptr && incident->state != incidents::State::Closed});
    }
    for (const auto& c : host_.MapState().Circles())
        s.circles.push_back({.latitude_deg = c.y / 60.0,
                             .longitude_deg = c.x / 60.0,
                             .radius_km = c.radius / 60.0 * kKmPerDegreeLatitude,
                             .color = HtmlColor(c.color)});
    return s;
}

dash::ActionResult WatchBoard::Act(const dash::Action& action) {
    const std::uint64_t id = IncidentId(action.incident);
    const incidents::Incident* incident = book_.Find(id);
    if (incident == nullptr) return {false, "no such incident"};
    if (incident->state == incidents::State::Closed) return {false, "the incident is closed"};
    incidents::OperatorCommand command{.incident = id,
                                       .time_s = clock_(),
                                       .operatorName = action.operatorName,
                                       .text = action.note};
    switch (action.kind) {
        case dash::ActionKind::Acknowledge:
            // The same as the main window's button: the siren stops for every station, and
            // the window's acknowledgement moves what was new along.
            if (form_.TimerAllarme.TimerEnabled() && form_.CmdTacitaAllarme.onClick)
                form_.CmdTacitaAllarme.onClick();
            if (command.operatorName.empty()) command.operatorName = kUnnamedOperator;
            command.action = incidents::OperatorAction::Acknowledge;
            if (incident->state == incidents::State::New) book_.Apply(command);
            Changed();
            return {true, {}};
        case dash::ActionKind::Take:
            if (action.operatorName.empty())
                return {false, "say who takes it: the operator's name"};
            command.action = incidents::OperatorAction::Take;
            command.text.clear();
            break;
        case dash::ActionKind::Note:
            command.action = incidents::OperatorAction::Note;
            break;
        case dash::ActionKind::Close:
            if (action.note.empty()) return {false, "closing needs a note: what happened"};
            command.action = incidents::OperatorAction::Close;
            break;
    }
    if (command.operatorName.empty()) command.operatorName = kUnnamedOperator;
    const auto outcome = book_.Apply(command);
    if (!outcome.done) return {false, outcome.refusal};
    Changed();
    return {true, {}};
}

void WatchBoard::Event(const incidents::Event& event) {
    if (std::holds_alternative<incidents::FeedSilent>(event.what)) feed_.silent = true;
    if (std::holds_alternative<incidents::FeedBack>(event.what)) feed_.silent = false;
    if (const auto* started = std::get_if<incidents::WatchStarted>(&event.what))
        if (started->lastAlive_s)
            watchGap_ = dash::WatchGap{.lastAlive_s = *started->lastAlive_s,
                                       .started_s = event.time_s,
                                       .stoppedCleanly = started->stoppedCleanly};
    Changed();
}

void WatchBoard::FrameHeard() {
    feed_.lastHeard_s = clock_();
    Changed();
}

}  // namespace app
