// The stand-in host's objects.
#include "Objects.h"

#include <exception>

#include "win32/Text.h"

namespace standin {

namespace {

// Writes the call to the log, fails it when it is planned to fail, and turns the built-in
// host's errors into failed calls.
template <typename Work>
HRESULT Serve(CallLog& log, const char* name, const std::string& arguments, Work work) {
    if (log.Enter(name, arguments)) return E_FAIL;
    try {
        work();
        return S_OK;
    } catch (const std::exception& e) {
        log.Note(std::string("  ") + name + " failed: " + e.what());
        return E_FAIL;
    }
}

// A by-reference string output: the old value is the callee's to free.
void PutText(BSTR* out, const std::string& utf8) {
    SysFreeString(*out);
    const std::wstring wide = win32::Utf16(utf8);
    *out = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
}

std::string Join(std::initializer_list<std::string> parts) {
    std::string out;
    for (const auto& part : parts) out += (out.empty() ? "" : " ") + part;
    return out;
}

}  // namespace

// ---- station

std::set<StationObject*> StationObject::live_;

StationObject::StationObject(std::unique_ptr<host::Station> station, CallLog& log)
    : station_(std::move(station)), log_(log) {
    live_.insert(this);
}

StationObject::~StationObject() {
    live_.erase(this);
}

StationObject* StationObject::Find(IUIViewStation* station) {
    auto* ours = static_cast<StationObject*>(station);
    return live_.contains(ours) ? ours : nullptr;
}

HRESULT StationObject::SetCallsign(BSTR callsign) {
    const std::string call = callsign ? win32::Utf8(callsign) : std::string();
    return Serve(log_, "SetCallsign", call, [&] { station_->SetCallsign(call); });
}

HRESULT StationObject::GetBeaconText(BSTR* text) {
    if (!text) return E_POINTER;
    return Serve(log_, "GetBeaconText", {}, [&] { PutText(text, station_->GetBeaconText()); });
}

HRESULT StationObject::GetMessageType(BSTR* type) {
    if (!type) return E_POINTER;
    return Serve(log_, "GetMessageType", {}, [&] { PutText(type, station_->GetMessageType()); });
}

HRESULT StationObject::GetLongitude(float* minutes) {
    if (!minutes) return E_POINTER;
    return Serve(log_, "GetLongitude", {}, [&] { *minutes = station_->GetLongitude(); });
}

HRESULT StationObject::GetLatitude(float* minutes) {
    if (!minutes) return E_POINTER;
    return Serve(log_, "GetLatitude", {}, [&] { *minutes = station_->GetLatitude(); });
}

HRESULT StationObject::GetSpeed(float* speed) {
    if (!speed) return E_POINTER;
    return Serve(log_, "GetSpeed", {}, [&] { *speed = station_->GetSpeed(); });
}

HRESULT StationObject::GetCourse(short* degrees) {
    if (!degrees) return E_POINTER;
    return Serve(log_, "GetCourse", {}, [&] { *degrees = station_->GetCourse(); });
}

HRESULT StationObject::GetAltitude(float* altitude) {
    if (!altitude) return E_POINTER;
    return Serve(log_, "GetAltitude", {}, [&] { *altitude = station_->GetAltitude(); });
}

HRESULT StationObject::GetDistance(float* km) {
    if (!km) return E_POINTER;
    return Serve(log_, "GetDistance", {}, [&] { *km = station_->GetDistance(); });
}

// ---- map

MapObject::MapObject(host::Map& map, CallLog& log)
    : map_(map), log_(log), events_(new ConnectionPoint(this, DIID_DUIViewMapEvents)) {
    map_.Connect(this);
}

MapObject::~MapObject() {
    map_.Connect(nullptr);
    events_->Release();
}

void* MapObject::QueryOther(const IID& iid) {
    return iid == IID_IConnectionPointContainer ? static_cast<IConnectionPointContainer*>(this)
                                                : nullptr;
}

HRESULT MapObject::FindConnectionPoint(REFIID iid, IConnectionPoint** point) {
    if (!point) return E_POINTER;
    *point = nullptr;
    if (iid != DIID_DUIViewMapEvents) return CONNECT_E_NOCONNECTION;
    *point = events_;
    events_->AddRef();
    return S_OK;
}

HRESULT MapObject::DrawCircle(float* x, float* y, float* radius, long* color, float* startAngle,
                              double* endAngle, float* aspect) {
    if (!x || !y || !radius || !color || !startAngle || !endAngle || !aspect) return E_POINTER;
    const std::string arguments =
        Join({Number(*x), Number(*y), Number(*radius), std::to_string(*color), Number(*startAngle),
              Number(*endAngle), Number(*aspect)});
    return Serve(log_, "DrawCircle", arguments, [&] {
        map_.DrawCircle(*x, *y, *radius, static_cast<std::int32_t>(*color), *startAngle, *endAngle,
                        *aspect);
    });
}

HRESULT MapObject::GetScale(float* scale) {
    if (!scale) return E_POINTER;
    return Serve(log_, "GetScale", {}, [&] { *scale = map_.GetScale(); });
}

HRESULT MapObject::SetDrawWidth(short* width) {
    if (!width) return E_POINTER;
    return Serve(log_, "SetDrawWidth", std::to_string(*width), [&] { map_.SetDrawWidth(*width); });
}

HRESULT MapObject::SetFillStyle(short* style) {
    if (!style) return E_POINTER;
    return Serve(log_, "SetFillStyle", std::to_string(*style), [&] { map_.SetFillStyle(*style); });
}

HRESULT MapObject::SetFillColor(long* color) {
    if (!color) return E_POINTER;
    return Serve(log_, "SetFillColor", std::to_string(*color),
                 [&] { map_.SetFillColor(static_cast<std::int32_t>(*color)); });
}

void MapObject::MapRedrawn() {
    log_.Note("raise MapRedrawn");
    events_->Raise(EventId(DIID_DUIViewMapEvents, 0));
}

// ---- application

ApplicationObject::ApplicationObject(builtin_host::BuiltinHost& host, CallLog& log,
                                     std::function<void()> onConnected)
    : host_(host),
      log_(log),
      events_(new ConnectionPoint(this, DIID_DUIViewApplicationEvents, std::move(onConnected))) {
    map_.Attach(new MapObject(host_.GetMap(), log_));
    host_.Connect(this);
}

ApplicationObject::~ApplicationObject() {
    host_.Connect(nullptr);
    events_->Release();
}

void* ApplicationObject::QueryOther(const IID& iid) {
    return iid == IID_IConnectionPointContainer ? static_cast<IConnectionPointContainer*>(this)
                                                : nullptr;
}

HRESULT ApplicationObject::FindConnectionPoint(REFIID iid, IConnectionPoint** point) {
    if (!point) return E_POINTER;
    *point = nullptr;
    if (iid != DIID_DUIViewApplicationEvents) return CONNECT_E_NOCONNECTION;
    *point = events_;
    events_->AddRef();
    return S_OK;
}

HRESULT ApplicationObject::DistanceAndBearing(double* lat1, double* lon1, double* lat2,
                                              double* lon2, double* distance, double* bearing,
                                              VARIANT_BOOL* flag) {
    if (!lat1 || !lon1 || !lat2 || !lon2 || !distance || !bearing || !flag) return E_POINTER;
    const std::string arguments =
        Join({Number(*lat1), Number(*lon1), Number(*lat2), Number(*lon2), std::to_string(*flag)});
    return Serve(log_, "DistanceAndBearing", arguments, [&] {
        host_.DistanceAndBearing(*lat1, *lon1, *lat2, *lon2, *distance, *bearing,
                                 *flag != VARIANT_FALSE);
    });
}

HRESULT ApplicationObject::GetStation(IUIViewStation** station, VARIANT_BOOL* found) {
    if (!station || !found) return E_POINTER;
    StationObject* ours = *station ? StationObject::Find(*station) : nullptr;
    return Serve(log_, "GetStation", {}, [&] {
        if (!ours) throw host::HostError("not a station object of this host");
        bool known = false;
        host_.GetStation(ours->Inner(), known);
        *found = known ? VARIANT_TRUE : VARIANT_FALSE;
    });
}

HRESULT ApplicationObject::RedrawMap() {
    return Serve(log_, "RedrawMap", {}, [&] { host_.RedrawMap(); });
}

HRESULT ApplicationObject::GetAprsData(BSTR* data) {
    if (!data) return E_POINTER;
    return Serve(log_, "GetAprsData", {}, [&] { PutText(data, host_.GetAprsData()); });
}

HRESULT ApplicationObject::GetMap(IDispatch** map) {
    if (!map) return E_POINTER;
    return Serve(log_, "GetMap", {}, [&] {
        if (*map) (*map)->Release();
        *map = static_cast<IUIViewMap*>(map_.Get());
        (*map)->AddRef();
    });
}

void ApplicationObject::DataAvailable() {
    log_.Note("raise DataAvailable " + host_.GetAprsData());
    events_->Raise(EventId(DIID_DUIViewApplicationEvents, 0));
}

void ApplicationObject::UIView32IsClosing() {
    log_.Note("raise UIView32IsClosing");
    events_->Raise(EventId(DIID_DUIViewApplicationEvents, 1));
}

}  // namespace standin
