// What happens on watch, as typed events: an emergency on the panel, the alarm starting and
// being acknowledged, the feed falling silent and coming back, its link going down and up, a
// station in emergency moving.
// Every report (tab lines, JSON lines, the incident log, notifications, the emergency command)
// reads these types; a new kind of event is one more small struct in the variant.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "incidents/IncidentBook.h"
#include "platform/Log.h"

namespace incidents {

// The main window's emergency panel, box by box, in the order the tab lines print them.
enum class Box : std::size_t {
    Callsign,
    Message,
    Beacon,
    Received,
    Distance,
    Course,
    Speed,
    Latitude,
    Longitude,
    Bearing,
    Altitude
};
inline constexpr std::size_t kBoxes = 11;
// Each box's name in the JSON lines and the log.
inline constexpr std::array<std::string_view, kBoxes> kBoxKeys = {
    "callsign", "message",  "beacon",    "received", "distance", "course",
    "speed",    "latitude", "longitude", "bearing",  "altitude"};

struct Panel {
    std::array<std::string, kBoxes> text;  // as the boxes show it
    const std::string& operator[](Box box) const { return text[static_cast<std::size_t>(box)]; }
};

// Where a station is.
using Place = sighting::GeoPoint;

struct Emergency {
    Panel panel{};
    std::string unit{};  // of the panel's distance and speed: "km" or "mi"
    bool isNew = true;   // the station's first emergency packet (or nothing known of it)
    bool copy = false;   // a copy of a packet heard before: nothing new
    std::optional<Evidence> evidence{};
};

// Where the station is from home, in words for a person: "12.3 km away, bearing 45 degrees",
// or "position unknown" when the host gave none.
std::string WhereFromHome(const Emergency& e, std::string_view degrees);

struct AlarmOn {};
struct Acknowledged {};  // the operator silenced the alarm
struct FeedSilent {
    std::string feed;  // which feed, in words
    std::int64_t silent_s = 0;
    std::int64_t lastHeard_s = 0;  // Unix time
};
struct FeedBack {
    std::string feed;
};
// The feed's link is down (a connection refused or lost, a device gone), and up again. Apart
// from silence: a link may be up with nothing heard on it.
struct FeedDown {
    std::string feed;
    std::string reason;  // in words, as the system says it
};
struct FeedUp {
    std::string feed;
};
// A new place in the track of a station in emergency.
struct Position {
    std::string callsign;
    Place place;
};

// An incident changed: opened, acknowledged, taken, noted, stood down, closed.
struct IncidentChange {
    Change change;
};

// The watch ending through its close path, and starting: so that the time nobody watched shows
// wherever events are kept. The home station, when known, places them on a map.
struct WatchStopped {
    std::optional<Place> home{};
};
struct WatchStarted {
    // When the watch before was last known to run; nothing on the very first start.
    std::optional<std::int64_t> lastAlive_s{};
    bool stoppedCleanly = true;  // that watch ended through its close path
    std::optional<Place> home{};
};

using What = std::variant<Emergency, AlarmOn, Acknowledged, FeedSilent, FeedBack, FeedDown, FeedUp,
                          Position, IncidentChange, WatchStopped, WatchStarted>;

struct Event {
    std::int64_t time_s = 0;  // Unix time
    What what;
};

// How much an event matters to whoever reads the output (the journal's priority): an emergency
// and the alarm going on are critical, a silent or lost feed a warning, the rest of the alarm
// and the feed a notice, everything else information.
platform::Level LevelOf(const What& what);

// Where events go: every sink subscribed gets every event, in the order they subscribed.
class Stream {
public:
    using Sink = std::function<void(const Event&)>;
    using EpochClock = std::function<std::int64_t()>;

    // The clock stamps events that come without a time; the system's unless given.
    explicit Stream(EpochClock clock = {});

    void Subscribe(Sink sink) { sinks_.push_back(std::move(sink)); }
    // Now, by the stream's clock.
    void Emit(What what);
    // A sink that throws is told on standard error; the others still get the event.
    void Emit(const Event& event);

private:
    EpochClock clock_;
    std::vector<Sink> sinks_;
};

// Whether the book held back the emergency this event reports: listed and logged, but it
// does not notify the desktop nor run the emergency command.
bool HeldBack(const IncidentBook& book, const Event& event);
// Whether the book holds the station's latest incident back: it does not sound either.
bool HeldBack(const IncidentBook& book, const std::string& callsign);
// Why the station's open incident is held back, as the map tells it; empty when it is not.
std::string HeldBackReason(const IncidentBook& book, const std::string& callsign);

}  // namespace incidents
