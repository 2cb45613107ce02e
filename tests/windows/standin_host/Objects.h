// The stand-in host's automation objects: application, map and station, each operation done
// by the built-in host's logic and written to the call log first.
#pragma once

#include <functional>
#include <memory>
#include <set>
#include <type_traits>

#include "CallLog.h"
#include "ComBase.h"
#include "ConnectionPoint.h"
#include "builtin_host/BuiltinHost.h"

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

// A station read, the built-in host's station read of the same name.
#define STANDIN_GET(Name, Type)                                             \
    HRESULT STDMETHODCALLTYPE Name(Type* out) override {                    \
        return Read(log_, #Name, out, [this] { return station_->Name(); }); \
    }

class StationObject final : public DualObject<IUIViewStation> {
public:
    StationObject(std::unique_ptr<host::Station> station, CallLog& log);
    ~StationObject() override;
    host::Station& Inner() { return *station_; }
    // Whether an interface pointer that came back from the add-on is one of ours.
    static StationObject* Find(IUIViewStation* station);

    HRESULT STDMETHODCALLTYPE SetCallsign(BSTR callsign) override;
    // clang-format off
    STANDIN_GET(GetBeaconText, BSTR)
    STANDIN_GET(GetMessageType, BSTR)
    STANDIN_GET(GetLongitude, float)
    STANDIN_GET(GetLatitude, float)
    STANDIN_GET(GetSpeed, float)
    STANDIN_GET(GetCourse, short)
    STANDIN_GET(GetAltitude, float)
    STANDIN_GET(GetDistance, float)
    STANDIN_UNUSED(1) STANDIN_UNUSED(3) STANDIN_UNUSED(4) STANDIN_UNUSED(5) STANDIN_UNUSED(6)
    STANDIN_UNUSED(7) STANDIN_UNUSED(8) STANDIN_UNUSED(9) STANDIN_UNUSED(10) STANDIN_UNUSED(12)
    STANDIN_UNUSED(14) STANDIN_UNUSED(15) STANDIN_UNUSED(16) STANDIN_UNUSED(17) STANDIN_UNUSED(18)
    STANDIN_UNUSED(19) STANDIN_UNUSED(20) STANDIN_UNUSED(21) STANDIN_UNUSED(22) STANDIN_UNUSED(24)
    STANDIN_UNUSED(26) STANDIN_UNUSED(27) STANDIN_UNUSED(28) STANDIN_UNUSED(29) STANDIN_UNUSED(30)
    STANDIN_UNUSED(31) STANDIN_UNUSED(32) STANDIN_UNUSED(33) STANDIN_UNUSED(34) STANDIN_UNUSED(36)
    STANDIN_UNUSED(38) STANDIN_UNUSED(39) STANDIN_UNUSED(40) STANDIN_UNUSED(41) STANDIN_UNUSED(42)
    STANDIN_UNUSED(43) STANDIN_UNUSED(44) STANDIN_UNUSED(45) STANDIN_UNUSED(46) STANDIN_UNUSED(48)
        // clang-format on

        private : std::unique_ptr<host::Station> station_;
    CallLog& log_;
    static std::set<StationObject*> live_;
};

class MapObject final : public DualObject<IUIViewMap>,
                        public IConnectionPointContainer,
                        public host::MapEvents {
public:
    MapObject(host::Map& map, CallLog& log);
    ~MapObject() override;

    // IUnknown, for both interfaces.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        return DualObject::QueryInterface(iid, object);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return DualObject::AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return DualObject::Release(); }

    HRESULT STDMETHODCALLTYPE DrawCircle(float* x, float* y, float* radius, long* color,
                                         float* startAngle, double* endAngle,
                                         float* aspect) override;
    HRESULT STDMETHODCALLTYPE GetScale(float* scale) override;
    HRESULT STDMETHODCALLTYPE SetDrawWidth(short* width) override;
    HRESULT STDMETHODCALLTYPE SetFillStyle(short* style) override;
    HRESULT STDMETHODCALLTYPE SetFillColor(long* color) override;
    // clang-format off
    STANDIN_UNUSED(1) STANDIN_UNUSED(2) STANDIN_UNUSED(4) STANDIN_UNUSED(5) STANDIN_UNUSED(6)
    STANDIN_UNUSED(7) STANDIN_UNUSED(8) STANDIN_UNUSED(9) STANDIN_UNUSED(10) STANDIN_UNUSED(11)
    STANDIN_UNUSED(12) STANDIN_UNUSED(14) STANDIN_UNUSED(15) STANDIN_UNUSED(16) STANDIN_UNUSED(17)
    STANDIN_UNUSED(18) STANDIN_UNUSED(19) STANDIN_UNUSED(20) STANDIN_UNUSED(21) STANDIN_UNUSED(22)
    STANDIN_UNUSED(23) STANDIN_UNUSED(25) STANDIN_UNUSED(26) STANDIN_UNUSED(27) STANDIN_UNUSED(29)
        // clang-format on

        HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid, IConnectionPoint** point) override;

    // host::MapEvents: the built-in host's map was redrawn.
    void MapRedrawn() override;

protected:
    void* QueryOther(const IID& iid) override;

private:
    host::Map& map_;
    CallLog& log_;
    ConnectionPoint* events_;
};

class ApplicationObject final : public DualObject<IUIViewApplication>,
                                public IConnectionPointContainer,
                                public host::ApplicationEvents {
public:
    // onConnected runs when the first sink connects to the application's events.
    ApplicationObject(builtin_host::BuiltinHost& host, CallLog& log,
                      std::function<void()> onConnected);
    ~ApplicationObject() override;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        return DualObject::QueryInterface(iid, object);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return DualObject::AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return DualObject::Release(); }

    HRESULT STDMETHODCALLTYPE DistanceAndBearing(double* lat1, double* lon1, double* lat2,
                                                 double* lon2, double* distance, double* bearing,
                                                 VARIANT_BOOL* flag) override;
    HRESULT STDMETHODCALLTYPE GetStation(IUIViewStation** station, VARIANT_BOOL* found) override;
    HRESULT STDMETHODCALLTYPE RedrawMap() override;
    HRESULT STDMETHODCALLTYPE GetAprsData(BSTR* data) override;
    HRESULT STDMETHODCALLTYPE GetMap(IDispatch** map) override;
    // clang-format off
    STANDIN_UNUSED(1) STANDIN_UNUSED(2) STANDIN_UNUSED(3) STANDIN_UNUSED(5) STANDIN_UNUSED(6)
    STANDIN_UNUSED(8) STANDIN_UNUSED(9) STANDIN_UNUSED(11)
        // clang-format on

        HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid, IConnectionPoint** point) override;

    // host::ApplicationEvents: the built-in host announces a frame or closes.
    void DataAvailable() override;
    void UIView32IsClosing() override;

    bool Connected() const { return events_->Connected(); }
    builtin_host::BuiltinHost& Host() { return host_; }

protected:
    void* QueryOther(const IID& iid) override;

private:
    builtin_host::BuiltinHost& host_;
    CallLog& log_;
    ConnectionPoint* events_;
    ComPtr<MapObject> map_;
};

}  // namespace standin
