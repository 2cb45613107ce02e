// The station program's automation objects behind the host ports: the application, its map
// and station objects, created in the program's out-of-process server and called through
// their dual interfaces. The thread that uses them must be in a single-threaded apartment with
// a message loop, which is how events (and calls nested in them) arrive.
#pragma once

#include <UIView32.h>
#include <windows.h>
#include <wrl/client.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "com/EventSink.h"
#include "host/HostPorts.h"

namespace com {

class ComStation final : public host::Station {
public:
    explicit ComStation(ComPtr<IUIViewStation> station) : station_(std::move(station)) {}

    void SetCallsign(const std::string& callsign) override;
    std::string GetBeaconText() override;
    std::string GetMessageType() override;
    float GetLongitude() override;
    float GetLatitude() override;
    float GetAltitude() override;
    float GetSpeed() override;
    std::int16_t GetCourse() override;
    float GetDistance() override;

    IUIViewStation* Interface() const { return station_.Get(); }

private:
    float GetSingle(HRESULT (STDMETHODCALLTYPE IUIViewStation::*get)(float*), const char* name);

    ComPtr<IUIViewStation> station_;
};

class ComMap final : public host::Map {
public:
    explicit ComMap(ComPtr<IUIViewMap> map) : map_(std::move(map)) {}

    void DrawCircle(float x, float y, float radius, std::int32_t color, float startAngle,
                    double endAngle, float aspect) override;
    float GetScale() override;
    void SetDrawWidth(std::int16_t width) override;
    void SetFillStyle(std::int16_t style) override;
    void SetFillColor(std::int32_t color) override;
    void Connect(host::MapEvents* listener) override;

private:
    ComPtr<IUIViewMap> map_;
    host::MapEvents* listener_ = nullptr;
    std::optional<Advice> advice_;
};

// Asks the host's server, once a second, whether it is still there; when its process has
// ended (not closed: then the host says so), runs onLost once with what the call answered.
class ServerWatch {
public:
    ServerWatch(IUnknown* server, std::function<void(const std::string&)> onLost);
    ~ServerWatch();
    ServerWatch(const ServerWatch&) = delete;
    ServerWatch& operator=(const ServerWatch&) = delete;

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM w, LPARAM l);
    void Ask();

    ComPtr<IDispatch> server_;
    std::function<void(const std::string&)> onLost_;
    HWND window_ = nullptr;  // a message-only window that owns the timer
    bool asking_ = false;
};

class ComApplication final : public host::Application {
public:
    explicit ComApplication(ComPtr<IUIViewApplication> application)
        : application_(std::move(application)) {}

    void DistanceAndBearing(double lat1, double lon1, double lat2, double lon2, double& distance,
                            double& bearing, bool flag) override;
    // Takes only station objects made by ComConnector.
    void GetStation(host::Station& station, bool& found) override;
    void RedrawMap() override;
    std::string GetAprsData() override;
    // The map object, asked for once and kept.
    host::Map& GetMap() override;
    void Connect(host::ApplicationEvents* listener) override;

private:
    ComPtr<IUIViewApplication> application_;
    std::unique_ptr<ComMap> map_;
    host::ApplicationEvents* listener_ = nullptr;
    std::optional<Advice> advice_;
    std::optional<ServerWatch> watch_;
};

// Creates the objects in the station program. When it is not running or not registered,
// throws host::HostUnavailable.
class ComConnector final : public host::Connector {
public:
    host::Application& CreateApplication() override;
    std::unique_ptr<host::Station> CreateStation() override;

private:
    std::unique_ptr<ComApplication> application_;
};

}  // namespace com
