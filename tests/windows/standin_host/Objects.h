// The stand-in host's automation objects: application, map and station, each operation done
// by the built-in host's logic and written to the call log first.
#pragma once

#include <ocidl.h>
#include <olectl.h>

#include <functional>
#include <memory>
#include <set>
#include <type_traits>
#include <utility>
#include <vector>

#include "CallLog.h"
#include "ComBase.h"
#include "builtin_host/BuiltinHost.h"
#include "win32/Text.h"

namespace standin {

// Writes the call to the log, fails it when it is planned to fail, and turns the built-in
// host's errors into failed calls.
HRESULT Logged(CallLog& log, const char* name, const std::string& arguments,
               const std::function<void()>& work);
// A by-reference string output: the old value is the callee's to free.
void PutText(BSTR* out, const std::string& utf8);

// A read: what get() gives, into *out.
template <typename T, typename Get>
HRESULT Read(CallLog& log, const char* name, T* out, Get get) {
    if (!out) return E_POINTER;
    return Logged(log, name, {}, [&] {
        if constexpr (std::is_same_v<T, BSTR>)
            PutText(out, get());
        else
            *out = get();
    });
}

// The built-in host's read of the same name, on `inner` (station_-> or map_.).
#define STANDIN_READ(inner, Name, Type)                                 \
    HRESULT STDMETHODCALLTYPE Name(Type* out) override {                \
        return Read(log_, #Name, out, [this] { return inner Name(); }); \
    }
// The built-in host's write of the same name, of one value passed by reference.
#define STANDIN_WRITE(inner, Name, Type, As)                         \
    HRESULT STDMETHODCALLTYPE Name(Type* value) override {           \
        if (!value) return E_POINTER;                                \
        return Logged(log_, #Name, std::to_string(*value),           \
                      [&] { inner Name(static_cast<As>(*value)); }); \
    }

// A dual object with one outgoing events interface, whose connection point is the object
// itself: the sinks advised to it, and raising an event (no arguments) on each of them.
template <typename I>
class EventSource : public DualObject<I>,
                    public IConnectionPointContainer,
                    public IConnectionPoint {
public:
    // onAdvise runs after each sink connects.
    explicit EventSource(const IID& events, std::function<void()> onAdvise = {})
        : events_(events), onAdvise_(std::move(onAdvise)) {}

    // IUnknown, for every interface.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        return DualObject<I>::QueryInterface(iid, object);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return DualObject<I>::AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return DualObject<I>::Release(); }

    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid, IConnectionPoint** point) override {
        if (!point) return E_POINTER;
        *point = iid == events_ ? this : nullptr;
        if (!*point) return CONNECT_E_NOCONNECTION;
        AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override {
        if (!iid) return E_POINTER;
        *iid = events_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** c) override {
        if (!c) return E_POINTER;
        *c = this;
        AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override {
        if (!sink || !cookie) return E_POINTER;
        ComPtr<IDispatch> dispatch;
        // Sinks answer for the events interface itself or at least for IDispatch.
        if (FAILED(
                sink->QueryInterface(events_, reinterpret_cast<void**>(dispatch.GetAddressOf()))) &&
            FAILED(sink->QueryInterface(IID_PPV_ARGS(&dispatch))))
            return CONNECT_E_CANNOTCONNECT;
        *cookie = nextCookie_++;
        sinks_.emplace_back(*cookie, std::move(dispatch));
        if (onAdvise_) onAdvise_();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override {
        const auto erased = std::erase_if(sinks_, [&](const auto& s) { return s.first == cookie; });
        return erased ? S_OK : CONNECT_E_NOCONNECTION;
    }
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections**) override { return E_NOTIMPL; }

    bool Connected() const { return !sinks_.empty(); }

protected:
    void* QueryOther(const IID& iid) override {
        if (iid == IID_IConnectionPointContainer)
            return static_cast<IConnectionPointContainer*>(this);
        return iid == IID_IConnectionPoint ? static_cast<IConnectionPoint*>(this) : nullptr;
    }
    // Logs "raise LINE" and calls the event at this position of the events interface on every
    // sink; a sink that fails is skipped.
    void Raise(CallLog& log, const std::string& line, UINT position) {
        log.Note("raise " + line);
        const DISPID id = EventId(events_, position);
        const auto sinks = sinks_;  // a sink may disconnect while it handles the event
        for (const auto& [cookie, sink] : sinks) {
            DISPPARAMS none{};
            sink->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, nullptr,
                         nullptr, nullptr);
        }
    }

private:
    IID events_;
    std::function<void()> onAdvise_;
    std::vector<std::pair<DWORD, ComPtr<IDispatch>>> sinks_;
    DWORD nextCookie_ = 1;
};

class StationObject final : public DualObject<IUIViewStation> {
public:
    StationObject(std::unique_ptr<host::Station> station, CallLog& log)
        : station_(std::move(station)), log_(log) {
        live_.insert(this);
    }
    ~StationObject() override { live_.erase(this); }
    host::Station& Inner() { return *station_; }
    // Whether an interface pointer that came back from the add-on is one of ours.
    static StationObject* Find(IUIViewStation* station) {
        auto* ours = static_cast<StationObject*>(station);
        return live_.contains(ours) ? ours : nullptr;
    }

    HRESULT STDMETHODCALLTYPE SetCallsign(BSTR callsign) override {
        const std::string call = callsign ? win32::Utf8(callsign) : std::string();
        return Logged(log_, "SetCallsign", call, [&] { station_->SetCallsign(call); });
    }
    STANDIN_READ(station_->, GetBeaconText, BSTR);
    STANDIN_READ(station_->, GetMessageType, BSTR);
    STANDIN_READ(station_->, GetLongitude, float);
    STANDIN_READ(station_->, GetLatitude, float);
    STANDIN_READ(station_->, GetSpeed, float);
    STANDIN_READ(station_->, GetCourse, short);
    STANDIN_READ(station_->, GetAltitude, float);
    STANDIN_READ(station_->, GetDistance, float);
    // clang-format off
    STANDIN_UNUSED(1) STANDIN_UNUSED(3) STANDIN_UNUSED(4) STANDIN_UNUSED(5) STANDIN_UNUSED(6)
    STANDIN_UNUSED(7) STANDIN_UNUSED(8) STANDIN_UNUSED(9) STANDIN_UNUSED(10) STANDIN_UNUSED(12)
    STANDIN_UNUSED(14) STANDIN_UNUSED(15) STANDIN_UNUSED(16) STANDIN_UNUSED(17) STANDIN_UNUSED(18)
    STANDIN_UNUSED(19) STANDIN_UNUSED(20) STANDIN_UNUSED(21) STANDIN_UNUSED(22) STANDIN_UNUSED(24)
    STANDIN_UNUSED(26) STANDIN_UNUSED(27) STANDIN_UNUSED(28) STANDIN_UNUSED(29) STANDIN_UNUSED(30)
    STANDIN_UNUSED(31) STANDIN_UNUSED(32) STANDIN_UNUSED(33) STANDIN_UNUSED(34) STANDIN_UNUSED(36)
    STANDIN_UNUSED(38) STANDIN_UNUSED(39) STANDIN_UNUSED(40) STANDIN_UNUSED(41) STANDIN_UNUSED(42)
    STANDIN_UNUSED(43) STANDIN_UNUSED(44) STANDIN_UNUSED(45) STANDIN_UNUSED(46) STANDIN_UNUSED(48);
    // clang-format on

private:
    std::unique_ptr<host::Station> station_;
    CallLog& log_;
    static inline std::set<StationObject*> live_;
};

class MapObject final : public EventSource<IUIViewMap>, public host::MapEvents {
public:
    MapObject(host::Map& map, CallLog& log);
    ~MapObject() override { map_.Connect(nullptr); }

    HRESULT STDMETHODCALLTYPE DrawCircle(float* x, float* y, float* radius, long* color,
                                         float* startAngle, double* endAngle,
                                         float* aspect) override;
    STANDIN_READ(map_., GetScale, float);
    STANDIN_WRITE(map_., SetDrawWidth, short, std::int16_t);
    STANDIN_WRITE(map_., SetFillStyle, short, std::int16_t);
    STANDIN_WRITE(map_., SetFillColor, long, std::int32_t);
    // clang-format off
    STANDIN_UNUSED(1) STANDIN_UNUSED(2) STANDIN_UNUSED(4) STANDIN_UNUSED(5) STANDIN_UNUSED(6)
    STANDIN_UNUSED(7) STANDIN_UNUSED(8) STANDIN_UNUSED(9) STANDIN_UNUSED(10) STANDIN_UNUSED(11)
    STANDIN_UNUSED(12) STANDIN_UNUSED(14) STANDIN_UNUSED(15) STANDIN_UNUSED(16) STANDIN_UNUSED(17)
    STANDIN_UNUSED(18) STANDIN_UNUSED(19) STANDIN_UNUSED(20) STANDIN_UNUSED(21) STANDIN_UNUSED(22)
    STANDIN_UNUSED(23) STANDIN_UNUSED(25) STANDIN_UNUSED(26) STANDIN_UNUSED(27) STANDIN_UNUSED(29);
    // clang-format on

    // host::MapEvents: the built-in host's map was redrawn.
    void MapRedrawn() override { Raise(log_, "MapRedrawn", 0); }

private:
    host::Map& map_;
    CallLog& log_;
};

class ApplicationObject final : public EventSource<IUIViewApplication>,
                                public host::ApplicationEvents {
public:
    // onConnected runs when the first sink connects to the application's events.
    ApplicationObject(builtin_host::BuiltinHost& host, CallLog& log,
                      std::function<void()> onConnected);
    ~ApplicationObject() override { host_.Connect(nullptr); }

    HRESULT STDMETHODCALLTYPE DistanceAndBearing(double* lat1, double* lon1, double* lat2,
                                                 double* lon2, double* distance, double* bearing,
                                                 VARIANT_BOOL* flag) override;
    HRESULT STDMETHODCALLTYPE GetStation(IUIViewStation** station, VARIANT_BOOL* found) override;
    HRESULT STDMETHODCALLTYPE RedrawMap() override {
        return Logged(log_, "RedrawMap", {}, [&] { host_.RedrawMap(); });
    }
    STANDIN_READ(host_., GetAprsData, BSTR);
    HRESULT STDMETHODCALLTYPE GetMap(IDispatch** map) override {
        if (!map) return E_POINTER;
        return Logged(log_, "GetMap", {}, [&] {
            if (*map) (*map)->Release();
            *map = static_cast<IUIViewMap*>(map_.Get());
            (*map)->AddRef();
        });
    }
    // clang-format off
    STANDIN_UNUSED(1) STANDIN_UNUSED(2) STANDIN_UNUSED(3) STANDIN_UNUSED(5) STANDIN_UNUSED(6)
    STANDIN_UNUSED(8) STANDIN_UNUSED(9) STANDIN_UNUSED(11);
    // clang-format on

    // host::ApplicationEvents: the built-in host announces a frame or closes.
    void DataAvailable() override { Raise(log_, "DataAvailable " + host_.GetAprsData(), 0); }
    void UIView32IsClosing() override { Raise(log_, "UIView32IsClosing", 1); }

    builtin_host::BuiltinHost& Host() { return host_; }

private:
    builtin_host::BuiltinHost& host_;
    CallLog& log_;
    ComPtr<MapObject> map_;
};

}  // namespace standin
