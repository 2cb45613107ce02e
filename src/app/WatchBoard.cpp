// The watch as the dashboard sees it, with operators' actions kept in memory.
#include "app/WatchBoard.h"

#include <QString>
#include <algorithm>
#include <cstdio>

namespace app {

namespace dash = qt_host::dashboard;

namespace {

constexpr double kKmPerDegreeLatitude = 111.2;

// What made it an emergency, strongest evidence first.
std::string Grade(const builtin_host::Evidence& e) {
    if (e.cause.rfind("Mic-E", 0) == 0) return "Mic-E Emergency";
    if (e.cause.rfind("message type", 0) == 0) return "message type " + e.messageType;
    return "!EMERGENCY! in the comment";
}

std::string Summary(const builtin_host::Evidence& e) {
    std::string text = e.cause + "; " + std::to_string(e.count) + " packet(s); last: " + e.frame;
    if (e.path.viaInternet) text += "; via the Internet";
    if (!e.path.heardFrom.empty()) text += "; heard from " + e.path.heardFrom;
    return text;
}

// The host's colours are 0x00BBGGRR.
std::string HtmlColor(std::int32_t color) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", unsigned(color & 0xff),
                  unsigned((color >> 8) & 0xff), unsigned((color >> 16) & 0xff));
    return text;
}

}  // namespace

WatchBoard::WatchBoard(builtin_host::BuiltinHost& host, forms::FrmMain& form,
                       std::string homeCallsign, EpochClock clock)
    : host_(host), form_(form), homeCallsign_(std::move(homeCallsign)), clock_(std::move(clock)) {}

WatchBoard::Record& WatchBoard::RecordOf(const builtin_host::Evidence& e) {
    Record& record = records_[e.callsign];
    // A closed incident whose station calls again is a new one.
    if (record.state == "closed" && e.lastHeard_s > record.closed_s) record = Record{};
    return record;
}

WatchBoard::Record WatchBoard::Shown(const builtin_host::Evidence& e) const {
    const auto found = records_.find(e.callsign);
    if (found == records_.end()) return {};
    if (found->second.state == "closed" && e.lastHeard_s > found->second.closed_s) return {};
    return found->second;
}

dash::Snapshot WatchBoard::Current() const {
    dash::Snapshot s;
    s.now_s = clock_();
    s.alarmOn = form_.TimerAllarme.TimerEnabled();
    s.feed = feed_;
    s.homeCallsign = homeCallsign_;
    const auto& home = host_.Stations().Home();
    if (home.latitude_deg != 0 || home.longitude_deg != 0)
        s.home_deg = std::make_pair(home.latitude_deg, home.longitude_deg);

    host_.Emergencies().ForEach([&](const builtin_host::Evidence& e) {
        const Record record = Shown(e);
        dash::IncidentView i;
        i.id = i.callsign = e.callsign;
        i.grade = Grade(e);
        i.firstHeard_s = e.firstHeard_s;
        i.lastHeard_s = e.lastHeard_s;
        i.evidence = Summary(e);
        i.state = record.state;
        i.operatorName = record.operatorName;
        i.notes = record.notes;
        if (!e.track.empty()) {
            i.latitude_deg = e.track.back().latitude_deg;
            i.longitude_deg = e.track.back().longitude_deg;
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
        s.stations.push_back(
            {.callsign = st->callsign,
             .latitude_deg = *st->latitude_deg,
             .longitude_deg = *st->longitude_deg,
             .comment = gt == std::string::npos ? st->beaconText : st->beaconText.substr(gt + 1),
             .emergency = host_.Emergencies().Find(st->callsign) != nullptr});
    }
    for (const auto& c : host_.MapState().Circles())
        s.circles.push_back({.latitude_deg = c.y / 60.0,
                             .longitude_deg = c.x / 60.0,
                             .radius_km = c.radius / 60.0 * kKmPerDegreeLatitude,
                             .color = HtmlColor(c.color)});
    return s;
}

dash::ActionResult WatchBoard::Act(const dash::Action& action) {
    const builtin_host::Evidence* evidence = host_.Emergencies().Find(action.incident);
    if (evidence == nullptr) return {false, "no such incident"};
    Record& record = RecordOf(*evidence);
    if (record.state == "closed") return {false, "the incident is closed"};
    const auto note = [&](std::string text) {
        record.notes.push_back({clock_(), action.operatorName, std::move(text)});
        if (record.notes.size() > kMaxNotes) record.notes.erase(record.notes.begin());
    };
    switch (action.kind) {
        case dash::ActionKind::Acknowledge:
            // The same as the main window's button: the siren stops for every station.
            if (form_.TimerAllarme.TimerEnabled() && form_.CmdTacitaAllarme.onClick)
                form_.CmdTacitaAllarme.onClick();
            if (record.state == "new") record.state = "acknowledged";
            break;
        case dash::ActionKind::Take:
            if (action.operatorName.empty())
                return {false, "say who takes it: the operator's name"};
            record.state = "being handled";
            record.operatorName = action.operatorName;
            break;
        case dash::ActionKind::Note:
            if (action.note.empty()) return {false, "the note is empty"};
            note(action.note);
            break;
        case dash::ActionKind::Close:
            if (action.note.empty()) return {false, "closing needs a note: what happened"};
            note(action.note);
            record.state = "closed";
            record.closed_s = std::max(clock_(), evidence->lastHeard_s);
            break;
    }
    Changed();
    return {true, {}};
}

void WatchBoard::Event(const QJsonObject& event) {
    const QString kind = event.value("event").toString();
    if (kind == "feed") feed_.silent = event.value("state").toString() == "silent";
    // The alarm silenced at the window acknowledges what was new.
    if (kind == "alarm" && event.value("state").toString() == "off")
        host_.Emergencies().ForEach([this](const builtin_host::Evidence& e) {
            Record& record = RecordOf(e);
            if (record.state == "new") record.state = "acknowledged";
        });
    Changed();
}

void WatchBoard::FrameHeard() {
    feed_.lastHeard_s = clock_();
    Changed();
}

}  // namespace app
