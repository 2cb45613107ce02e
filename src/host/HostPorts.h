// The station program's automation objects as the add-on sees them: the application, its
// map and a station object, with their events. The built-in host and the test fakes
// implement these; a Windows adapter for the real station program could too.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

namespace host {

// A host call that failed. Thrown by any operation below; caught at the handler's entry.
class HostError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The host's objects could not be created at all: it is not running or not registered.
class HostUnavailable : public HostError {
public:
    using HostError::HostError;
};

// Where the host keeps what the add-on reads: its install folder in the per-user store, and
// its settings file in that folder. kLowestVersion is the oldest host the add-on runs beside.
inline constexpr char kStoreApplication[] = "Peak Systems";
inline constexpr char kStoreSection[] = "UI-View32";
inline constexpr char kStoreKey[] = "Program Folder";
inline constexpr char kSettingsFileName[] = "Uiview32.INI";
inline constexpr double kLowestVersion = 1.86;
inline constexpr char kLowestVersionText[] = "1.86";

// The value the host gives for a missing position or altitude.
inline constexpr float kMissing = -99999.0f;

class Station {
public:
    virtual ~Station() = default;
    virtual void SetCallsign(const std::string& callsign) = 0;
    // Read after Application::GetStation.
    virtual std::string GetBeaconText() = 0;  // "CALL>message"
    virtual std::string GetMessageType() = 0;
    virtual float GetLongitude() = 0;  // minutes of arc, east positive, or kMissing
    virtual float GetLatitude() = 0;   // minutes of arc, north positive, or kMissing
    virtual float GetAltitude() = 0;   // or kMissing
    virtual float GetSpeed() = 0;
    virtual std::int16_t GetCourse() = 0;  // degrees
    virtual float GetDistance() = 0;       // km from the home station, or kMissing
};

class MapEvents {
public:
    virtual ~MapEvents() = default;
    virtual void MapRedrawn() = 0;
};

class Map {
public:
    virtual ~Map() = default;
    // x is the longitude, y the latitude, both in minutes of arc.
    virtual void DrawCircle(float x, float y, float radius, std::int32_t color, float startAngle,
                            double endAngle, float aspect) = 0;
    virtual float GetScale() = 0;
    virtual void SetDrawWidth(std::int16_t width) = 0;
    virtual void SetFillStyle(std::int16_t style) = 0;
    virtual void SetFillColor(std::int32_t color) = 0;
    // Events go to one listener (nullptr to stop).
    virtual void Connect(MapEvents* listener) = 0;
};

class ApplicationEvents {
public:
    virtual ~ApplicationEvents() = default;
    virtual void DataAvailable() = 0;
    virtual void UIView32IsClosing() = 0;
    // The host went away without closing (its process ended); what says so. Only a host in
    // another process can be lost.
    virtual void HostLost(const std::string& /*what*/) {}
};

class Application {
public:
    virtual ~Application() = default;
    // Points in signed decimal degrees; outputs distance and bearing of point 2 from point 1.
    virtual void DistanceAndBearing(double lat1, double lon1, double lat2, double lon2,
                                    double& distance, double& bearing, bool flag) = 0;
    // Fills the station object for the callsign it holds; found tells whether it is known.
    virtual void GetStation(Station& station, bool& found) = 0;
    virtual void RedrawMap() = 0;
    // The frame text of the current DataAvailable, alike on every call during it.
    virtual std::string GetAprsData() = 0;
    virtual Map& GetMap() = 0;
    virtual void Connect(ApplicationEvents* listener) = 0;
};

// Creates the host objects at connection time.
class Connector {
public:
    virtual ~Connector() = default;
    virtual Application& CreateApplication() = 0;
    virtual std::unique_ptr<Station> CreateStation() = 0;
    // A host that knows its own version gives it here; the station program's version is read
    // from its settings file instead.
    virtual std::optional<double> OwnVersion() const { return std::nullopt; }
};

}  // namespace host
