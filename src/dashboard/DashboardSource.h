// What the dashboard shows and what it lets an operator do, as plain data: whoever keeps the
// incidents implements a Source, the server only reads snapshots and passes actions on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/Result.h"

namespace dashboard {

struct Note {
    std::int64_t time_s = 0;  // Unix time
    std::string operatorName;
    std::string text;
};

struct IncidentView {
    std::string id;
    std::string callsign;
    std::string stateKey;  // "new", "acknowledged", "being_handled", "stood_down", "closed"
    std::string state;     // the same in the program's language, as people read it
    std::string grade;     // what made it an emergency, strongest first: "Mic-E Emergency"...
    std::int64_t firstHeard_s = 0;
    std::int64_t lastHeard_s = 0;
    std::string operatorName;  // who took it; empty while nobody has
    std::vector<Note> notes;
    std::string evidence;  // the frame and why it counts, in words
    std::string heldBack;  // why it did not sound; empty when it did
    // The watchers of the net that heard it, when shared.
    std::vector<std::string> sites;
    std::optional<double> latitude_deg, longitude_deg;
    // From home, in the program's unit (km or miles); none without both positions.
    std::optional<double> distance, bearing_deg;
    std::string comment;  // the station's latest comment, as heard
    // What an operator may do with it now, as action keys ("acknowledge", "take", "note",
    // "close", "take_over", "release"), in the order they are shown.
    std::vector<std::string> actions;
};

struct StationView {
    std::string callsign;
    double latitude_deg = 0;
    double longitude_deg = 0;
    std::string comment;
    bool emergency = false;
};

struct CircleView {
    double latitude_deg = 0;
    double longitude_deg = 0;
    double radius_km = 0;
    std::string color;  // "#rrggbb"
};

struct FeedHealth {
    std::string name;  // "KISS 127.0.0.1:8001"
    bool silent = false;
    std::int64_t lastHeard_s = 0;  // 0: nothing heard yet
    bool down = false;             // the link is down (refused, lost, the device gone)
    std::string problem;           // why, while it is down
};

// Whether the incident log keeps up: an emergency shown but not logged is said so.
struct LogView {
    bool writing = true;
    std::string problem;      // the system's reason, while not writing
    std::size_t waiting = 0;  // lines kept until the log can be written again
    std::size_t lost = 0;     // lines given up because too many waited
};

// The MQTT net's link, when the watch publishes on a broker: down, since when and why, and
// what waits for it.
struct NetHealth {
    std::string broker;            // "mqtts://broker.example.org:8883"
    bool down = true;              // until the broker first accepts the watcher
    std::int64_t downSince_s = 0;  // Unix time, while down
    std::string problem;           // why, while down
    std::size_t waiting = 0;       // messages kept until the broker takes them
    std::size_t dropped = 0;       // given up because too many waited
};

// The time before this watch started when nobody watched: since the watch before was last known
// to run (its clean stop, or its last sign of life when it was killed or lost its power).
struct WatchGap {
    std::int64_t lastAlive_s = 0;  // Unix time
    std::int64_t started_s = 0;
    bool stoppedCleanly = true;
};

struct Snapshot {
    std::int64_t now_s = 0;
    std::vector<IncidentView> incidents;
    std::vector<StationView> stations;
    std::vector<CircleView> circles;
    std::optional<std::pair<double, double>> home_deg;  // latitude, longitude
    std::string homeCallsign;
    FeedHealth feed;
    LogView log;
    bool alarmOn = false;
    int languageCode = 1000;           // the add-on's: 1000 Italian, 2000 English
    bool miles = false;                // distances in miles rather than km
    std::optional<WatchGap> watchGap;  // none on the very first start
    std::optional<NetHealth> net;      // none without a broker
};

// TakeOver: another operator's incident, with a note; Release: the handler lets it go.
enum class ActionKind { Acknowledge, Take, Note, Close, TakeOver, Release };

struct Action {
    ActionKind kind = ActionKind::Acknowledge;
    std::string incident;      // an IncidentView id
    std::string operatorName;  // needed to take
    std::string note;          // needed to add a note, to close and to take over
};

// Done, or why not in words for the operator.
using ActionResult = platform::Result<void>;

class Source {
public:
    virtual ~Source() = default;
    virtual Snapshot Current() const = 0;
    virtual ActionResult Act(const Action& action) = 0;

    // The server's listener: called whenever what Current() gives may have changed.
    void SetChangeListener(std::function<void()> listener) { onChange_ = std::move(listener); }
    // Another listener, for the life of the source (the window's incident list).
    void AddChangeListener(std::function<void()> listener) {
        others_.push_back(std::move(listener));
    }
    void Changed() const {
        if (onChange_) onChange_();
        for (const auto& listener : others_) listener();
    }

private:
    std::function<void()> onChange_;
    std::vector<std::function<void()>> others_;
};

}  // namespace dashboard
