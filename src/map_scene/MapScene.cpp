// The map window's scene: projection, gestures, and what goes where.
#include "map_scene/MapScene.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "map_scene/StationDetail.h"

namespace map_scene {
namespace {

constexpr double kKmPerMile = 1.609344;

std::string Fixed(double value, int decimals) {
    char text[64];
    const auto end =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    return std::string(text, end.ptr);
}

// The map's scale with as many decimals as it takes to tell one wheel step from the next.
std::string ScaleNumber(double value) {
    return Fixed(value, value >= 100 ? 0 : value >= 10 ? 1 : 2);
}

double Length(Point p) {
    return std::hypot(p.x, p.y);
}

}  // namespace

double RoundLength(double km) {
    double power = std::pow(10.0, std::floor(std::log10(km)));
    for (double step : {5.0, 2.0, 1.0})
        if (step * power <= km) return step * power;
    return power;
}

std::string LengthText(double units, bool miles) {
    if (miles) return Fixed(units, units < 1 ? 1 : 0) + " mi";
    if (units < 1) return Fixed(units * 1000, 0) + " m";
    return Fixed(units, 0) + " km";
}

MapScene::MapScene(const builtin_host::HostMap& map, const builtin_host::StationList& stations)
    : map_(map),
      stations_(stations),
      spanKm_(std::clamp(map.Scale() / 2.0, kMinSpanKm, kMaxSpanKm)) {}

void MapScene::SetSpanKm(double km) {
    spanKm_ = std::clamp(km, kMinSpanKm, kMaxSpanKm);
}

void MapScene::PanByPixels(Point moved) {
    const double pixelsPerKm = Projection().pixelsPerKm;
    centreEastKm_ -= moved.x / pixelsPerKm;
    centreNorthKm_ += moved.y / pixelsPerKm;
}

void MapScene::ZoomAround(Point pointer, double steps) {
    const basemap::GeoPoint held = Projection().ToGeo(pointer);
    SetSpanKm(spanKm_ * std::pow(1.25, -steps));
    const Point drift = Projection().ToScreen(held.latitude_deg, held.longitude_deg) - pointer;
    PanByPixels(drift * -1);
}

MapProjection MapScene::Projection() const {
    const auto& home = stations_.Home();
    MapProjection p;
    p.homeLat = home.latitude_deg;
    p.homeLon = home.longitude_deg;
    p.centre = {view_.width / 2.0, view_.height / 2.0};
    p.pixelsPerKm = (std::min(view_.width, view_.height) / 2.0) / spanKm_;
    p.centreEastKm = centreEastKm_;
    p.centreNorthKm = centreNorthKm_;
    return p;
}

std::vector<CircleShape> MapScene::Circles() const {
    const MapProjection p = Projection();
    std::vector<CircleShape> shapes;
    for (const builtin_host::Circle& c : map_.Circles()) {
        // The radius is in minutes of arc of latitude.
        const double radius = c.radius / 60.0 * MapProjection::kKmPerDegreeLat * p.pixelsPerKm;
        const double aspect = (c.aspect > 0 && std::isfinite(c.aspect)) ? c.aspect : 1.0;
        shapes.push_back({p.PlaceToScreen(c.y / 60.0, c.x / 60.0),
                          aspect > 1 ? radius / aspect : radius,
                          aspect > 1 ? radius : radius * aspect, &c});
    }
    return shapes;
}

std::vector<StationMark> MapScene::Stations() const {
    const MapProjection p = Projection();
    const Rect area = View().Adjusted(-20, -20, 20, 20);
    std::vector<StationMark> marks;
    stations_.ForEach([&](const builtin_host::StationData& s) {
        if (!s.latitude_deg || !s.longitude_deg) return;
        const Point at = p.PlaceToScreen(*s.latitude_deg, *s.longitude_deg);
        if (!area.Contains(at)) return;
        const bool emergency = evidence != nullptr && evidence->Find(s.callsign) != nullptr;
        const std::string why = emergency && heldBack ? heldBack(s.callsign) : std::string();
        // Held back: orange, and the reason beside the callsign.
        marks.push_back({at,
                         !why.empty() ? kHeldBack
                         : emergency  ? kEmergency
                         : s.isObject ? kObject
                                      : kStation,
                         emergency ? 5 : 3,
                         why.empty() ? s.callsign : s.callsign + " (held back: " + why + ")"});
    });
    return marks;
}

std::vector<Label> MapScene::Labels(const std::vector<StationMark>& marks,
                                    const MeasureText& measure) const {
    // Emergencies first, then the others from the most recently heard (drawn last) back.
    std::vector<const StationMark*> order;
    for (const StationMark& m : marks)
        if (m.radius > 3) order.push_back(&m);
    for (auto m = marks.rbegin(); m != marks.rend(); ++m)
        if (m->radius <= 3) order.push_back(&*m);
    std::vector<Rect> taken;
    if (!homeCallsign.empty()) taken.push_back(measure(homeCallsign).Translated(HomeLabelAt()));
    std::vector<Label> labels;
    for (const StationMark* m : order) {
        const Point baseline = m->at + Point{7, -4};
        const Rect box = measure(m->label).Translated(baseline);
        if (std::ranges::any_of(taken, [&](const Rect& other) { return other.Intersects(box); }))
            continue;
        taken.push_back(box);
        labels.push_back({baseline, m->label});
    }
    return labels;
}

Point MapScene::Home() const {
    const auto& home = stations_.Home();
    return Projection().ToScreen(home.latitude_deg, home.longitude_deg);
}

double MapScene::BarLengthInUnits() const {
    const double unitKm = Miles() ? kKmPerMile : 1;
    return RoundLength(view_.width / 4.0 / Projection().pixelsPerKm / unitKm);
}

// In the lower left, clear of the warning band.
ScaleBar MapScene::Scale(double mapScale) const {
    const bool miles = Miles();
    const double unitKm = miles ? kKmPerMile : 1;
    const double units = BarLengthInUnits();
    const Point left{12, view_.height - 16};
    return {left, left + Point{units * unitKm * Projection().pixelsPerKm, 0},
            LengthText(units, miles) + "    Scale " + ScaleNumber(mapScale / unitKm) +
                (miles ? " mi" : " km")};
}

std::vector<EdgeMarker> MapScene::EdgeMarkers() const {
    std::vector<EdgeMarker> markers;
    if (evidence == nullptr) return markers;
    const MapProjection p = Projection();
    const Rect view = View();
    // The markers stay clear of the edge, and of the warning band when it is there.
    const double top = (warningShown ? kBandHeight : 0) + 14;
    const Rect inner = view.Adjusted(14, top, -14, -14);
    evidence->ForEach([&](const builtin_host::StationEvidence& e) {
        const builtin_host::StationData* s = stations_.Peek(e.callsign);
        if (s == nullptr || !s->latitude_deg || !s->longitude_deg) return;
        const Point at = p.PlaceToScreen(*s->latitude_deg, *s->longitude_deg);
        if (view.Contains(at) || !inner.Valid()) return;
        // Along the line from the view's centre towards the station, up to the inner edge.
        const Point c = inner.Centre(), d = at - c;
        double t = 1;
        if (d.x != 0) t = std::min(t, inner.width / 2 / std::abs(d.x));
        if (d.y != 0) t = std::min(t, inner.height / 2 / std::abs(d.y));
        std::string text = e.callsign;
        if (const auto db =
                builtin_host::FromHome(stations_.Home(), s->latitude_deg, s->longitude_deg))
            text += ' ' + DistanceText(db->distance_km, Miles());
        const Point marker = c + d * t;
        const Point outwards = marker - View().Centre();
        const double length = Length(outwards);
        markers.push_back({marker, length > 0 ? outwards * (1 / length) : Point{0, -1}, text});
    });
    return markers;
}

Rect MapScene::EdgeLabelBox(const EdgeMarker& m, Size text) const {
    const Point d = m.direction;
    const double width = text.width + 6, height = text.height + 2;
    const Point centre = m.at - d * (std::abs(d.x) * width / 2 + std::abs(d.y) * height / 2 + 8);
    Rect box{centre.x - width / 2, centre.y - height / 2, width, height};
    box.left = std::clamp(box.left, 2.0, std::max(2.0, view_.width - width - 2));
    box.top = std::clamp(box.top, 2.0, std::max(2.0, view_.height - height - 2));
    return box;
}

std::string MapScene::DetailAt(Point point) const {
    constexpr double kReach_px = 8;
    const MapProjection p = Projection();
    const builtin_host::StationData* nearest = nullptr;
    double best = kReach_px * kReach_px;
    stations_.ForEach([&](const builtin_host::StationData& s) {
        if (!s.latitude_deg || !s.longitude_deg) return;
        const Point d = p.PlaceToScreen(*s.latitude_deg, *s.longitude_deg) - point;
        const double squared = d.x * d.x + d.y * d.y;
        if (squared <= best) {
            best = squared;
            nearest = &s;
        }
    });
    if (nearest == nullptr) return {};
    std::string detail =
        StationDetail(*nearest, evidence ? evidence->Find(nearest->callsign) : nullptr,
                      stations_.Home(), Miles());
    if (const std::string why = heldBack ? heldBack(nearest->callsign) : std::string();
        !why.empty())
        detail += "\nHeld back: " + why;
    return detail;
}

double MapScene::SpanForNewEmergencies(bool userHolds) {
    if (evidence == nullptr) return spanKm_;
    const MapProjection p = Projection();
    // The half extents, in pixels, the stations to take in must fit in.
    const double margin = 32;
    const double halfWidth = std::max(view_.width / 2.0 - margin, 1.0);
    const double halfHeight = std::max(view_.height / 2.0 - margin - kBandHeight, 1.0);
    const double shorterHalf = std::min(view_.width, view_.height) / 2.0;
    double wanted = spanKm_;
    evidence->ForEach([&](const builtin_host::StationEvidence& e) {
        const builtin_host::StationData* s = stations_.Peek(e.callsign);
        if (s == nullptr || !s->latitude_deg || !s->longitude_deg) return;
        if (!emergenciesShown_.insert(e.callsign).second || userHolds) return;
        const Point d = p.PlaceToScreen(*s->latitude_deg, *s->longitude_deg) - p.centre;
        if (std::abs(d.x) <= halfWidth && std::abs(d.y) <= halfHeight) return;
        // Kilometres from the centre, and the span that puts them inside the margins.
        const double eastKm = std::abs(d.x) / p.pixelsPerKm;
        const double northKm = std::abs(d.y) / p.pixelsPerKm;
        wanted = std::max(
            {wanted, eastKm * shorterHalf / halfWidth, northKm * shorterHalf / halfHeight});
    });
    return wanted;
}

}  // namespace map_scene
