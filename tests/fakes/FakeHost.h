// A scripted station program for tests and benchmarks: station data per callsign, a settable
// bearing, a journal of every call, synchronous MapRedrawn on RedrawMap, nested DataAvailable
// while GetStation runs, and any named call made to fail.
//
//   fakes::FakeHost host;
//   host.SetStation("IW2ABC-9", data);   // what GetStation answers for that callsign
//   host.Deliver("12:00:01 IW2ABC-9>APRS:...");  // GetAprsData answers this, DataAvailable raised
//   host.FailOn("GetStation");           // that call throws host::HostError from now on
//   host.map.Calls()                     // {"SetDrawWidth",{5}}, {"GetScale",{}}, ...
// Call names are those of host/HostPorts.h.
#pragma once

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "host/HostPorts.h"

namespace fakes {

// What the host knows of one station. Missing position and altitude by default.
struct StationData {
    std::string beaconText;
    std::string messageType;
    float longitude = host::kMissing;
    float latitude = host::kMissing;
    float altitude = host::kMissing;
    float speed = 0;
    std::int16_t course = 0;
    float distance = 0;
};

// One recorded host call: its name and its numeric arguments in order.
struct Call {
    std::string name;
    std::vector<double> values;
    bool operator==(const Call&) const = default;
};

// A journal of calls. A child journal (the map's) also records into its parent, which alone
// decides which calls fail.
class CallBook {
public:
    explicit CallBook(CallBook* parent = nullptr) : parent_(parent) {}
    // Records the call; throws host::HostError when it is set to fail.
    void Enter(const std::string& name, std::vector<double> values = {});
    template <class T>
    T Answer(const std::string& name, T value) {
        Enter(name);
        return value;
    }
    void FailOn(const std::string& name, int times) { failures_[name] = times; }
    const std::vector<Call>& Calls() const { return calls_; }
    void ClearCalls() { calls_.clear(); }
    int Count(const std::string& name) const {
        return int(std::ranges::count(calls_, name, &Call::name));
    }

private:
    CallBook* parent_;
    std::map<std::string, int> failures_;  // calls left to fail; -1: always
    std::vector<Call> calls_;
};

class FakeMap final : public host::Map {
public:
    explicit FakeMap(CallBook& hostBook) : book_(&hostBook) {}
    void DrawCircle(float x, float y, float radius, std::int32_t color, float startAngle,
                    double endAngle, float aspect) override {
        book_.Enter("DrawCircle", {x, y, radius, double(color), startAngle, endAngle, aspect});
    }
    float GetScale() override { return book_.Answer("GetScale", scale); }
    void SetDrawWidth(std::int16_t width) override { book_.Enter("SetDrawWidth", {double(width)}); }
    void SetFillStyle(std::int16_t style) override { book_.Enter("SetFillStyle", {double(style)}); }
    void SetFillColor(std::int32_t color) override { book_.Enter("SetFillColor", {double(color)}); }
    void Connect(host::MapEvents* l) override {
        if (l && refuseListener) throw host::HostError("Advise failed");
        listener = l;
    }

    // Only the map's own calls, in order.
    const std::vector<Call>& Calls() const { return book_.Calls(); }
    void ClearCalls() { book_.ClearCalls(); }
    std::vector<Call> Circles() const;  // the DrawCircle calls only
    float scale = 50;
    bool refuseListener = false;  // Connect throws host::HostError
    host::MapEvents* listener = nullptr;

private:
    CallBook book_;
};

// A station object of the fake host; GetStation copies the host's data into it.
class FakeStation final : public host::Station {
public:
    explicit FakeStation(CallBook& book) : book_(book) {}
    void SetCallsign(const std::string& c) override { callsign = book_.Answer("SetCallsign", c); }
    std::string GetBeaconText() override { return book_.Answer("GetBeaconText", data.beaconText); }
    std::string GetMessageType() override {
        return book_.Answer("GetMessageType", data.messageType);
    }
    float GetLongitude() override { return book_.Answer("GetLongitude", data.longitude); }
    float GetLatitude() override { return book_.Answer("GetLatitude", data.latitude); }
    float GetAltitude() override { return book_.Answer("GetAltitude", data.altitude); }
    float GetSpeed() override { return book_.Answer("GetSpeed", data.speed); }
    std::int16_t GetCourse() override { return book_.Answer("GetCourse", data.course); }
    float GetDistance() override { return book_.Answer("GetDistance", data.distance); }

    std::string callsign;
    StationData data;

private:
    CallBook& book_;
};

class FakeHost final : public host::Application, public host::Connector {
    CallBook book_;  // first: the map and the station below record into it

public:
    // --- scripting ---
    void SetStation(const std::string& callsign, StationData data) { stations_[callsign] = data; }
    // Makes text the current frame and raises DataAvailable; the outer frame text is restored
    // afterwards, so a nested delivery does not disturb the outer one.
    void Deliver(const std::string& frameText);
    // The next GetStation delivers this frame (nested DataAvailable) before it answers.
    void DeliverDuringGetStation(const std::string& frameText) { nested_.push_back(frameText); }
    void Close() {
        if (listener_) listener_->UIView32IsClosing();
    }
    void Die(const std::string& what) {  // its process ended: what the adapter tells
        if (listener_) listener_->HostLost(what);
    }
    void FailOn(const std::string& name, int times = -1) { book_.FailOn(name, times); }
    double bearing = 0;                // what DistanceAndBearing answers; its distance is always 0
    bool unavailable = false;          // CreateApplication throws host::HostUnavailable
    std::optional<double> ownVersion;  // a host that knows its version, as the built-in one

    // --- what happened ---
    const std::vector<Call>& Calls() const { return book_.Calls(); }  // every object's calls
    int Count(const std::string& name) const { return book_.Count(name); }
    int RedrawCount() const { return Count("RedrawMap"); }
    void ClearCalls() {
        book_.ClearCalls();
        map.ClearCalls();
    }
    host::ApplicationEvents* Listener() const { return listener_; }

    // --- host::Application and host::Connector ---
    void DistanceAndBearing(double lat1, double lon1, double lat2, double lon2, double& distanceOut,
                            double& bearingOut, bool flag) override;
    void GetStation(host::Station& station, bool& found) override;
    void RedrawMap() override;
    std::string GetAprsData() override { return book_.Answer("GetAprsData", frame_); }
    host::Map& GetMap() override { return book_.Answer<host::Map&>("GetMap", map); }
    void Connect(host::ApplicationEvents* listener) override { listener_ = listener; }
    host::Application& CreateApplication() override {
        if (unavailable) throw host::HostUnavailable("not registered");
        return *this;
    }
    std::unique_ptr<host::Station> CreateStation() override {
        return std::make_unique<FakeStation>(book_);
    }
    std::optional<double> OwnVersion() const override { return ownVersion; }

    FakeMap map{book_};
    FakeStation station{book_};  // a ready station object for tests that need just one

private:
    std::map<std::string, StationData> stations_;
    std::vector<std::string> nested_;
    std::string frame_;
    host::ApplicationEvents* listener_ = nullptr;
};

}  // namespace fakes
