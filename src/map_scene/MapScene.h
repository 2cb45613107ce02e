// What the built-in host's map window shows and where, worked out once for every toolkit: the
// view's span and centre, the add-on's circles, the stations with their labels, the home
// station, the scale bar, the markers on the edge for stations in emergency out of view, the
// detail under the pointer and the span that brings new emergencies into view. A front end
// keeps one scene per window, hands it the view's size and the user's gestures, and paints what
// it says.
#pragma once

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "builtin_host/Evidence.h"
#include "builtin_host/HostMap.h"
#include "builtin_host/StationList.h"
#include "map_scene/Geometry.h"
#include "map_scene/Projection.h"

namespace map_scene {

// An add-on's circle as drawn now: an ellipse around `centre`; colours, width and fill as the
// add-on set them (in `circle`).
struct CircleShape {
    Point centre;
    double radiusX = 0;
    double radiusY = 0;
    const builtin_host::Circle* circle = nullptr;
};

// A station's dot; its label, when it has room, comes from Labels().
struct StationMark {
    Point at;
    Rgb fill;
    int radius = 3;
    std::string label;  // the callsign (and why an emergency was held back); from the air
};

struct Label {
    Point baseline;  // where the text starts, on its baseline
    std::string text;
};

// A station in emergency outside the view: a marker on the edge, pointing from the view's
// centre towards it, with its callsign and distance.
struct EdgeMarker {
    Point at;
    Point direction;  // unit length, outwards
    std::string text;
};

struct ScaleBar {
    Point left;
    Point right;
    std::string text;  // "20 km    Scale 50.0 km"
};

class MapScene {
public:
    static constexpr double kMinSpanKm = 0.5;
    static constexpr double kMaxSpanKm = 20000;
    static constexpr double kBandHeight = 28;  // the warning band across the top
    static constexpr Rgb kEmergency{220, 30, 30}, kHeldBack{240, 150, 20}, kObject{120, 120, 220},
        kStation{30, 120, 30};

    // A text's box as the toolkit draws it from a point on its baseline (top above it, so
    // negative): what label placement measures with.
    using MeasureText = std::function<Rect(const std::string& text)>;

    // Opens at the map's scale: that many kilometres across the view's shorter side.
    MapScene(const builtin_host::HostMap& map, const builtin_host::StationList& stations);

    // What the window knows and the scene asks.
    const builtin_host::EvidenceBook* evidence = nullptr;
    std::function<bool()> inMiles;  // unset: kilometres
    std::function<std::string(const std::string& callsign)> heldBack;
    std::string homeCallsign;
    bool warningShown = false;

    void SetViewSize(Size size) { view_ = size; }
    Rect View() const { return {0, 0, view_.width, view_.height}; }
    // Half the view's shorter side, in kilometres; kept between the bounds.
    double SpanKm() const { return spanKm_; }
    void SetSpanKm(double km);
    void PanByPixels(Point moved);
    // A wheel's steps (one notch: 1, away from the user: positive) zoom in around the pointer:
    // the point of the map under it stays under it.
    void ZoomAround(Point pointer, double steps);
    MapProjection Projection() const;
    bool Miles() const { return inMiles && inMiles(); }

    std::vector<CircleShape> Circles() const;
    // The stations in view (with a margin), in drawing order.
    std::vector<StationMark> Stations() const;
    // The labels that have room: those in emergency first, then the most recently heard, each
    // only where it does not cover one already written or the home station's.
    std::vector<Label> Labels(const std::vector<StationMark>& marks,
                              const MeasureText& measure) const;
    Point Home() const;
    Point HomeLabelAt() const { return Home() + Point{7, 12}; }
    ScaleBar Scale(double mapScale) const;
    std::vector<EdgeMarker> EdgeMarkers() const;
    // Where an edge marker's text goes, inside the view, for a text of `text` size.
    Rect EdgeLabelBox(const EdgeMarker& marker, Size text) const;
    // The detail of the station drawn nearest to `point`, within a few pixels; empty when
    // there is none. Plain text.
    std::string DetailAt(Point point) const;
    // The span that takes in each station newly in emergency lying outside the view; the
    // span now when there is none, or while the user holds the map (they are then counted as
    // shown, so they do not pull the view later).
    double SpanForNewEmergencies(bool userHolds);

private:
    double BarLengthInUnits() const;

    const builtin_host::HostMap& map_;
    const builtin_host::StationList& stations_;
    Size view_{640, 480};
    double spanKm_;
    double centreEastKm_ = 0;  // the map's point at the view's centre, from home
    double centreNorthKm_ = 0;
    std::set<std::string, std::less<>> emergenciesShown_;  // callsigns already brought to view
};

// A round length (1, 2 or 5 times a power of ten) close to the wanted one.
double RoundLength(double km);
// A length in the user's unit, with its name: "500 m", "20 km", "0.5 mi", "10 mi".
std::string LengthText(double units, bool miles);

}  // namespace map_scene
