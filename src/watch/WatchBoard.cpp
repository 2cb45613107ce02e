// The watch as the dashboard sees it, with operators' actions passed to the incident book.
#include "watch/WatchBoard.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "geo/Coordinates.h"
#include "platform/NumberText.h"
#include "platform/Regional.h"
#include "settings/StringTable.h"

namespace watch {

namespace dash = ::dashboard;

namespace {

constexpr double kKmPerDegreeLatitude = 111.2;
constexpr double kKmPerMile = 1.609344;
// Who acknowledges when the dashboard's operator gave no name.
constexpr char kUnnamedOperator[] = "dashboard";

std::string GradeWords(incidents::EvidenceGrade grade, const incidents::Evidence* e, bool english) {
    switch (grade) {
        case incidents::EvidenceGrade::MicEEmergency:
            return english ? "Mic-E Emergency" : "codice Mic-E Emergency";
        case incidents::EvidenceGrade::CustomType:
            return (english ? "message type " : "tipo di messaggio ") +
                   (e != nullptr ? e->messageType : std::string("(custom)"));
        case incidents::EvidenceGrade::CommentText:
            return english ? "!EMERGENCY! in the comment" : "!EMERGENCY! nel commento";
        case incidents::EvidenceGrade::None:
            break;
    }
    return english ? "none" : "nessuno";
}

std::string Summary(const incidents::Evidence& e) {
    std::string text = e.cause + "; " + std::to_string(e.count) + " packet(s); last: " + e.frame;
    if (e.path.viaInternet) text += "; via the Internet";
    if (!e.path.heardFrom.empty()) text += "; heard from " + e.path.heardFrom;
    return text;
}

// "being_handled" as people read it, in the program's language.
std::string StateWords(incidents::State state, bool english) {
    if (!english) {
        switch (state) {
            case incidents::State::New:
                return "nuovo";
            case incidents::State::Acknowledged:
                return "riconosciuto";
            case incidents::State::BeingHandled:
                return "in gestione";
            case incidents::State::StoodDown:
                return "rientrato";
            case incidents::State::Closed:
                return "chiuso";
        }
    }
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

// The book's action for the page's.
incidents::OperatorAction OperatorActionOf(dash::ActionKind kind) {
    switch (kind) {
        case dash::ActionKind::Acknowledge:
            break;
        case dash::ActionKind::Take:
            return incidents::OperatorAction::Take;
        case dash::ActionKind::Note:
            return incidents::OperatorAction::Note;
        case dash::ActionKind::Close:
            return incidents::OperatorAction::Close;
        case dash::ActionKind::TakeOver:
            return incidents::OperatorAction::TakeOver;
        case dash::ActionKind::Release:
            return incidents::OperatorAction::Release;
    }
    return incidents::OperatorAction::Acknowledge;
}

}  // namespace

WatchBoard::WatchBoard(builtin_host::BuiltinHost& host, forms::FrmMain& form,
                       incidents::IncidentBook& book, std::string homeCallsign, EpochClock clock)
    : host_(host),
      form_(form),
      book_(book),
      homeCallsign_(std::move(homeCallsign)),
      clock_(std::move(clock)) {}

dash::IncidentView WatchBoard::View(const incidents::Incident& incident, bool english) const {
    const incidents::Evidence* e = incident.evidence.get();  // its own, not the station's
    dash::IncidentView i;
    i.id = std::to_string(incident.id);
    i.callsign = incident.callsign;
    i.stateKey = incidents::StateKey(incident.state);
    i.state = StateWords(incident.state, english);
    i.grade = GradeWords(incident.grade, e, english);
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
    i.sites = incident.sites;
    for (const incidents::OperatorAction action :
         incidents::IncidentBook::ActionsOffered(incident.state))
        i.actions.emplace_back(incidents::OperatorActionKey(action));
    if (const auto* station = host_.Stations().Peek(incident.callsign)) {
        const auto gt = station->beaconText.find('>');
        if (gt != std::string::npos) i.comment = station->beaconText.substr(gt + 1);
    }
    if (incident.position) {
        i.latitude_deg = incident.position->latitude_deg;
        i.longitude_deg = incident.position->longitude_deg;
    }
    return i;
}

namespace {

// A position as the add-on holds it: read back from its display text, as the panel's
// bearing is worked out from it.
double AsTheAddOnHoldsIt(double degrees, bool longitude) {
    std::string text;
    geo::FormattaCoordinata(static_cast<float>(degrees * 60), text, longitude);
    return geo::ConvertiCoordinate(geo::CompactFromDisplay(text));
}

// The bearing as the add-on's panel gives it, so that a station reads the same in the window
// and on the card: from home as the add-on holds it to the station as the add-on holds it,
// in whole degrees as the panel writes them.
double PanelBearing(builtin_host::BuiltinHost& host, const platform::ProgramValues& values,
                    double latitude_deg, double longitude_deg) {
    double distance_km = 0, bearing = 0;
    host.DistanceAndBearing(values.LatitudineStazione, values.LongitudineStazione,
                            AsTheAddOnHoldsIt(latitude_deg, false),
                            AsTheAddOnHoldsIt(longitude_deg, true), distance_km, bearing, true);
    return platform::Val(platform::Format(bearing, "###", platform::FixedRegional(".")));
}

// Distance and bearing from home, worked out only for the incidents shown.
void AddDistances(builtin_host::BuiltinHost& host, const platform::ProgramValues* values,
                  dash::Snapshot& s) {
    if (!s.home_deg) return;
    for (dash::IncidentView& i : s.incidents) {
        if (!i.latitude_deg || !i.longitude_deg) continue;
        try {
            double distance_km = 0, bearing = 0;
            host.DistanceAndBearing(s.home_deg->first, s.home_deg->second, *i.latitude_deg,
                                    *i.longitude_deg, distance_km, bearing, false);
            i.distance = s.miles ? distance_km / kKmPerMile : distance_km;
            i.bearing_deg = values != nullptr
                                ? PanelBearing(host, *values, *i.latitude_deg, *i.longitude_deg)
                                : bearing;
        } catch (const std::exception&) {
            // A point out of range: its distance stays unknown.
        }
    }
}

}  // namespace

dash::Snapshot WatchBoard::Current() const {
    dash::Snapshot s;
    s.now_s = clock_();
    s.alarmOn = form_.TimerAllarme.TimerEnabled();
    s.feed = feed_;
    if (logHealth_ != nullptr)
        s.log = {logHealth_->writing, logHealth_->problem, logHealth_->waiting, logHealth_->lost};
    s.watchGap = watchGap_;
    if (netHealth_) s.net = netHealth_();
    s.homeCallsign = homeCallsign_;
    if (values_ != nullptr) {
        s.languageCode = values_->CodiceLingua;
        s.miles = values_->UnitaMisura != 1;
    }
    const bool english = s.languageCode == settings::kEnglish;
    const auto& home = host_.Stations().Home();
    if (home.latitude_deg != 0 || home.longitude_deg != 0)
        s.home_deg = std::make_pair(home.latitude_deg, home.longitude_deg);

    book_.ForEach([&](const incidents::Incident& incident) {
        s.incidents.push_back(View(incident, english));
    });
    std::stable_sort(s.incidents.begin(), s.incidents.end(), [](const auto& a, const auto& b) {
        const bool aOpen = a.stateKey != "closed", bOpen = b.stateKey != "closed";
        return aOpen != bOpen ? aOpen : a.lastHeard_s > b.lastHeard_s;
    });
    if (s.incidents.size() > kMaxIncidents) s.incidents.resize(kMaxIncidents);
    AddDistances(host_, values_, s);

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
    AddUnheardIncidents(s);
    AddCircles(s);
    return s;
}

// A station whose incident is open but which the host has not heard since the start (a restart
// took the incident up) stands where its incident last placed it.
void WatchBoard::AddUnheardIncidents(dash::Snapshot& s) const {
    for (const dash::IncidentView& i : s.incidents) {
        if (s.stations.size() >= kMaxStations) return;
        if (i.stateKey == "closed" || !i.latitude_deg || !i.longitude_deg) continue;
        if (host_.Stations().Peek(i.callsign) != nullptr) continue;
        s.stations.push_back({.callsign = i.callsign,
                              .latitude_deg = *i.latitude_deg,
                              .longitude_deg = *i.longitude_deg,
                              .comment = i.comment,
                              .emergency = true});
    }
}

// The add-on draws one circle per station in its table, however many and however old; the
// page draws them around the incidents it shows that are still open, in the add-on's size and
// colour, so a closed incident loses its circle and there are never more than incidents shown.
void WatchBoard::AddCircles(dash::Snapshot& s) const {
    // Until the add-on draws again (after a restart it has drawn nothing yet), its own colour
    // at the size it draws at the map's scale.
    builtin_host::Circle style{.radius = host_.MapState().GetScale() / 25,
                               .color = values_ != nullptr ? values_->ColoreCerchio : 255};
    if (const auto& drawn = host_.MapState().Circles(); !drawn.empty()) style = drawn.back();
    for (const dash::IncidentView& i : s.incidents) {
        if (s.circles.size() >= kMaxCircles) break;
        if (i.stateKey == "closed" || !i.latitude_deg || !i.longitude_deg) continue;
        s.circles.push_back({.latitude_deg = *i.latitude_deg,
                             .longitude_deg = *i.longitude_deg,
                             .radius_km = style.radius / 60.0 * kKmPerDegreeLatitude,
                             .color = HtmlColor(style.color)});
    }
}

dash::ActionResult WatchBoard::Act(const dash::Action& action) {
    if (action.kind == dash::ActionKind::Acknowledge) return Acknowledge(action);
    // The book decides; the board only says who asked, and what.
    incidents::OperatorCommand command{.action = OperatorActionOf(action.kind),
                                       .incident = IncidentId(action.incident),
                                       .time_s = clock_(),
                                       .operatorName = action.operatorName,
                                       .text = action.note};
    // Taken by the operator, not by what the note says.
    if (command.action == incidents::OperatorAction::Take) command.text.clear();
    if (command.operatorName.empty() && !incidents::IncidentBook::NeedsOwnName(command.action))
        command.operatorName = kUnnamedOperator;
    const auto outcome = book_.Apply(command);
    if (!outcome.done) return Refused(outcome);
    // Closing says more than acknowledging: once nothing is left unacknowledged, nothing is
    // left to sound for.
    if (command.action == incidents::OperatorAction::Close && !AnyNew()) SilenceAlarm();
    Changed();
    return {};
}

// The same as the main window's button: the siren stops for every station and what was new
// moves along, acknowledged by whoever pressed it here. The siren can always be silenced,
// with no incident named or one already closed; otherwise the incident must exist.
dash::ActionResult WatchBoard::Acknowledge(const dash::Action& action) {
    const std::uint64_t id = IncidentId(action.incident);
    const incidents::Incident* incident = book_.Find(id);
    const bool sounding = form_.TimerAllarme.TimerEnabled();
    using Refusal = incidents::IncidentBook::Refusal;
    if (!sounding && !action.incident.empty()) {
        if (incident == nullptr) return Refused({false, Refusal::NoSuchIncident, {}, id});
        if (incident->state == incidents::State::Closed)
            return Refused({false, Refusal::Closed, incident->handler, id});
    }
    const std::string who = action.operatorName.empty() ? kUnnamedOperator : action.operatorName;
    // Named before the window's acknowledgement runs, which would otherwise take them first.
    if (sounding)
        book_.AcknowledgeAllNew(clock_(), who);
    else if (incident != nullptr && incident->state == incidents::State::New)
        book_.Apply({.action = incidents::OperatorAction::Acknowledge,
                     .incident = id,
                     .time_s = clock_(),
                     .operatorName = who,
                     .text = {}});
    if (sounding) SilenceAlarm();
    Changed();
    return {};
}

dash::ActionResult WatchBoard::Refused(const incidents::IncidentBook::Outcome& outcome) const {
    const bool english = values_ != nullptr && values_->CodiceLingua == settings::kEnglish;
    return platform::Fail(incidents::RefusalText(outcome, english));
}

bool WatchBoard::AnyNew() const {
    bool any = false;
    book_.ForEach([&any](const incidents::Incident& i) {
        if (i.state == incidents::State::New && i.heldBackReason.empty()) any = true;
    });
    return any;
}

void WatchBoard::SilenceAlarm() {
    if (form_.TimerAllarme.TimerEnabled() && form_.CmdTacitaAllarme.onClick)
        form_.CmdTacitaAllarme.onClick();
}

void WatchBoard::Event(const incidents::Event& event) {
    if (std::holds_alternative<incidents::FeedSilent>(event.what)) feed_.silent = true;
    if (std::holds_alternative<incidents::FeedBack>(event.what)) feed_.silent = false;
    if (const auto* down = std::get_if<incidents::FeedDown>(&event.what)) {
        feed_.down = true;
        feed_.problem = down->reason;
    }
    if (std::holds_alternative<incidents::FeedUp>(event.what)) {
        feed_.down = false;
        feed_.problem.clear();
    }
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

void FollowLanguageAndUnit(forms::FrmMain& main, WatchBoard& board) {
    for (ui::MenuItem* item :
         {&main.MnuNazione[0], &main.MnuNazione[1], &main.MnuUnit[0], &main.MnuUnit[1]}) {
        item->onClick = [click = item->onClick, &board] {
            if (click) click();
            board.Changed();
        };
    }
}

}  // namespace watch
