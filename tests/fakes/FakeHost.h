// A scripted station program for tests and benchmarks: station data per callsign, a settable
// bearing, a map that records every call in order, synchronous MapRedrawn on RedrawMap,
// nested DataAvailable while GetStation runs, and any named call made to fail.
//
// Usage:
//   fakes::FakeHost host;
//   host.SetStation("IW2ABC-9", {.messageType = "EMERGENCY", .latitude = 2730.25f, ...});
//   host.Connect(&listener);           // also host.GetMap().Connect(&mapListener)
//   host.Deliver("12:00:01 IW2ABC-9>APRS:...");  // GetAprsData answers this, DataAvailable raised
//   host.FailOn("GetStation");         // that call throws host::HostError until ClearFailures()
//   host.map.Calls()                   // {"SetDrawWidth",{5}}, {"GetScale",{}},
//   {"DrawCircle",{...}}
// Operation names are those of host/HostPorts.h ("GetLatitude", "DrawCircle", "RedrawMap"...).
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
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

class FakeHost;

// Shared by the fake objects: which calls fail, and the journal of every call made.
class CallBook {
public:
    // Throws host::HostError when the call is set to fail; records it either way.
    void Enter(const std::string& name, std::vector<double> values = {});
    void FailOn(const std::string& name, int times = -1);  // -1: until ClearFailures()
    void ClearFailures() { failures_.clear(); }
    const std::vector<Call>& Calls() const { return calls_; }
    void ClearCalls() { calls_.clear(); }
    int Count(const std::string& name) const;

private:
    std::map<std::string, int> failures_;
    std::vector<Call> calls_;
};

class FakeMap final : public host::Map {
public:
    explicit FakeMap(CallBook& book) : book_(book) {}
    void DrawCircle(float x, float y, float radius, std::int32_t color, float startAngle,
                    double endAngle, float aspect) override;
    float GetScale() override;
    void SetDrawWidth(std::int16_t width) override;
    void SetFillStyle(std::int16_t style) override;
    void SetFillColor(std::int32_t color) override;
    void Connect(host::MapEvents* listener) override { listener_ = listener; }

    // Only the map's own calls, in order.
    const std::vector<Call>& Calls() const { return calls_; }
    void ClearCalls() { calls_.clear(); }
    std::vector<Call> Circles() const;  // the DrawCircle calls only
    float scale = 50;
    host::MapEvents* Listener() const { return listener_; }

private:
    void Record(const std::string& name, std::vector<double> values);
    CallBook& book_;
    std::vector<Call> calls_;
    host::MapEvents* listener_ = nullptr;
};

// A station object of the fake host; GetStation copies the host's data into it.
class FakeStation final : public host::Station {
public:
    explicit FakeStation(CallBook& book) : book_(book) {}
    void SetCallsign(const std::string& callsign) override;
    std::string GetBeaconText() override;
    std::string GetMessageType() override;
    float GetLongitude() override;
    float GetLatitude() override;
    float GetAltitude() override;
    float GetSpeed() override;
    std::int16_t GetCourse() override;
    float GetDistance() override;

    const std::string& Callsign() const { return callsign_; }
    StationData data;

private:
    CallBook& book_;
    std::string callsign_;
};

class FakeHost final : public host::Application, public host::Connector {
    CallBook book_;  // first: the map and the station below record into it

public:
    FakeHost() = default;

    // --- scripting ---
    void SetStation(const std::string& callsign, StationData data) { stations_[callsign] = data; }
    void RemoveStation(const std::string& callsign) { stations_.erase(callsign); }
    // Makes text the current frame and raises DataAvailable; the previous frame text is
    // restored afterwards, so a nested delivery does not disturb the outer one.
    void Deliver(const std::string& frameText);
    void SetFrame(const std::string& frameText) { frame_ = frameText; }
    // The next GetStation delivers this frame (nested DataAvailable) before it answers.
    void DeliverDuringGetStation(const std::string& frameText) {
        nestedFrames_.push_back(frameText);
    }
    // Raises UIView32IsClosing.
    void Close();
    void FailOn(const std::string& name, int times = -1) { book_.FailOn(name, times); }
    void ClearFailures() { book_.ClearFailures(); }
    double bearing = 0;   // second output of DistanceAndBearing
    double distance = 0;  // first output

    // --- what happened ---
    const std::vector<Call>& Calls() const { return book_.Calls(); }  // every object's calls
    int Count(const std::string& name) const { return book_.Count(name); }
    int RedrawCount() const { return book_.Count("RedrawMap"); }
    void ClearCalls() {
        book_.ClearCalls();
        map.ClearCalls();
    }
    host::ApplicationEvents* Listener() const { return listener_; }

    // --- host::Application ---
    void DistanceAndBearing(double lat1, double lon1, double lat2, double lon2, double& distance,
                            double& bearing, bool flag) override;
    void GetStation(host::Station& station, bool& found) override;
    void RedrawMap() override;
    std::string GetAprsData() override;
    host::Map& GetMap() override;
    void Connect(host::ApplicationEvents* listener) override { listener_ = listener; }

    // --- host::Connector ---
    host::Application& CreateApplication() override { return *this; }
    std::unique_ptr<host::Station> CreateStation() override;

    FakeMap map{book_};
    FakeStation station{book_};  // a ready station object for tests that need just one

private:
    std::map<std::string, StationData> stations_;
    std::vector<std::string> nestedFrames_;
    std::string frame_;
    host::ApplicationEvents* listener_ = nullptr;
};

}  // namespace fakes
