// The scripted station program used by tests and benchmarks.
#include "fakes/FakeHost.h"

namespace fakes {

void CallBook::Enter(const std::string& name, std::vector<double> values) {
    calls_.push_back({name, std::move(values)});
    auto failing = failures_.find(name);
    if (failing == failures_.end()) return;
    if (failing->second > 0 && --failing->second == 0) failures_.erase(failing);
    throw host::HostError(name + " failed");
}

void CallBook::FailOn(const std::string& name, int times) {
    if (times == 0) return;
    failures_[name] = times;
}

int CallBook::Count(const std::string& name) const {
    int n = 0;
    for (const Call& c : calls_) n += c.name == name ? 1 : 0;
    return n;
}

// --- map ---

void FakeMap::Record(const std::string& name, std::vector<double> values) {
    calls_.push_back({name, values});
    book_.Enter(name, std::move(values));
}

void FakeMap::DrawCircle(float x, float y, float radius, std::int32_t color, float startAngle,
                         double endAngle, float aspect) {
    Record("DrawCircle", {x, y, radius, static_cast<double>(color), startAngle, endAngle, aspect});
}

float FakeMap::GetScale() {
    Record("GetScale", {});
    return scale;
}

void FakeMap::SetDrawWidth(std::int16_t width) {
    Record("SetDrawWidth", {double(width)});
}
void FakeMap::SetFillStyle(std::int16_t style) {
    Record("SetFillStyle", {double(style)});
}
void FakeMap::SetFillColor(std::int32_t color) {
    Record("SetFillColor", {double(color)});
}

std::vector<Call> FakeMap::Circles() const {
    std::vector<Call> circles;
    for (const Call& c : calls_)
        if (c.name == "DrawCircle") circles.push_back(c);
    return circles;
}

// --- station ---

void FakeStation::SetCallsign(const std::string& callsign) {
    book_.Enter("SetCallsign");
    callsign_ = callsign;
}

std::string FakeStation::GetBeaconText() {
    book_.Enter("GetBeaconText");
    return data.beaconText;
}

std::string FakeStation::GetMessageType() {
    book_.Enter("GetMessageType");
    return data.messageType;
}

float FakeStation::GetLongitude() {
    book_.Enter("GetLongitude");
    return data.longitude;
}

float FakeStation::GetLatitude() {
    book_.Enter("GetLatitude");
    return data.latitude;
}

float FakeStation::GetAltitude() {
    book_.Enter("GetAltitude");
    return data.altitude;
}

float FakeStation::GetSpeed() {
    book_.Enter("GetSpeed");
    return data.speed;
}

std::int16_t FakeStation::GetCourse() {
    book_.Enter("GetCourse");
    return data.course;
}

float FakeStation::GetDistance() {
    book_.Enter("GetDistance");
    return data.distance;
}

// --- application ---

void FakeHost::Deliver(const std::string& frameText) {
    std::string outer = frame_;
    frame_ = frameText;
    if (listener_) listener_->DataAvailable();
    frame_ = outer;
}

void FakeHost::Close() {
    if (listener_) listener_->UIView32IsClosing();
}

void FakeHost::DistanceAndBearing(double lat1, double lon1, double lat2, double lon2,
                                  double& distanceOut, double& bearingOut, bool flag) {
    book_.Enter("DistanceAndBearing", {lat1, lon1, lat2, lon2, flag ? 1.0 : 0.0});
    distanceOut = distance;
    bearingOut = bearing;
}

void FakeHost::GetStation(host::Station& target, bool& found) {
    book_.Enter("GetStation");
    if (!nestedFrames_.empty()) {
        std::string nested = nestedFrames_.front();
        nestedFrames_.erase(nestedFrames_.begin());
        Deliver(nested);
    }
    auto* fake = dynamic_cast<FakeStation*>(&target);
    if (fake == nullptr) throw host::HostError("GetStation: not a station of this host");
    auto known = stations_.find(fake->Callsign());
    found = known != stations_.end();
    fake->data = found ? known->second : StationData{};
}

void FakeHost::RedrawMap() {
    book_.Enter("RedrawMap");
    if (map.Listener()) map.Listener()->MapRedrawn();
}

std::string FakeHost::GetAprsData() {
    book_.Enter("GetAprsData");
    return frame_;
}

host::Map& FakeHost::GetMap() {
    book_.Enter("GetMap");
    return map;
}

std::unique_ptr<host::Station> FakeHost::CreateStation() {
    return std::make_unique<FakeStation>(book_);
}

}  // namespace fakes
