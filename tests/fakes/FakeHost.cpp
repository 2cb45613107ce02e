// The scripted station program used by tests and benchmarks.
#include "fakes/FakeHost.h"

namespace fakes {

void CallBook::Enter(const std::string& name, std::vector<double> values) {
    calls_.push_back({name, values});
    if (parent_) return parent_->Enter(name, std::move(values));
    auto failing = failures_.find(name);
    if (failing == failures_.end() || failing->second == 0) return;
    if (failing->second > 0) --failing->second;
    throw host::HostError(name + " failed");
}

std::vector<Call> FakeMap::Circles() const {
    std::vector<Call> circles;
    std::ranges::copy_if(Calls(), std::back_inserter(circles),
                         [](const Call& c) { return c.name == "DrawCircle"; });
    return circles;
}

void FakeHost::Deliver(const std::string& frameText) {
    std::string outer = std::exchange(frame_, frameText);
    if (listener_) listener_->DataAvailable();
    frame_ = outer;
}

void FakeHost::DistanceAndBearing(double lat1, double lon1, double lat2, double lon2,
                                  double& distanceOut, double& bearingOut, bool flag) {
    book_.Enter("DistanceAndBearing", {lat1, lon1, lat2, lon2, flag ? 1.0 : 0.0});
    distanceOut = 0;
    bearingOut = bearing;
}

void FakeHost::GetStation(host::Station& target, bool& found) {
    book_.Enter("GetStation");
    if (!nested_.empty()) {
        std::string nested = nested_.front();
        nested_.erase(nested_.begin());
        Deliver(nested);
    }
    auto* fake = dynamic_cast<FakeStation*>(&target);
    if (fake == nullptr) throw host::HostError("GetStation: not a station of this host");
    auto known = stations_.find(fake->callsign);
    found = known != stations_.end();
    fake->data = found ? known->second : StationData{};
}

void FakeHost::RedrawMap() {
    book_.Enter("RedrawMap");
    if (map.listener) map.listener->MapRedrawn();
}

}  // namespace fakes
