// The stand-in host's objects.
#include "Objects.h"

#include <exception>

#include "win32/Text.h"

namespace standin {

HRESULT Logged(CallLog& log, const char* name, const std::string& arguments,
               const std::function<void()>& work) {
    if (log.Enter(name, arguments)) return E_FAIL;
    try {
        work();
        return S_OK;
    } catch (const std::exception& e) {
        log.Note(std::string("  ") + name + " failed: " + e.what());
        return E_FAIL;
    }
}

void PutText(BSTR* out, const std::string& utf8) {
    SysFreeString(*out);
    const std::wstring wide = win32::Utf16(utf8);
    *out = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
}

namespace {

std::string Join(std::initializer_list<std::string> parts) {
    std::string out;
    for (const auto& part : parts) out += (out.empty() ? "" : " ") + part;
    return out;
}

}  // namespace

// ---- map

MapObject::MapObject(host::Map& map, CallLog& log)
    : EventSource(DIID_DUIViewMapEvents), map_(map), log_(log) {
    map_.Connect(this);
}

HRESULT MapObject::DrawCircle(float* x, float* y, float* radius, long* color, float* startAngle,
                              double* endAngle, float* aspect) {
    if (!x || !y || !radius || !color || !startAngle || !endAngle || !aspect) return E_POINTER;
    const std::string arguments =
        Join({Number(*x), Number(*y), Number(*radius), std::to_string(*color), Number(*startAngle),
              Number(*endAngle), Number(*aspect)});
    return Logged(log_, "DrawCircle", arguments, [&] {
        map_.DrawCircle(*x, *y, *radius, static_cast<std::int32_t>(*color), *startAngle, *endAngle,
                        *aspect);
    });
}

// ---- application

ApplicationObject::ApplicationObject(builtin_host::BuiltinHost& host, CallLog& log,
                                     std::function<void()> onConnected)
    : EventSource(DIID_DUIViewApplicationEvents, std::move(onConnected)), host_(host), log_(log) {
    map_.Attach(new MapObject(host_.GetMap(), log_));
    host_.Connect(this);
}

HRESULT ApplicationObject::DistanceAndBearing(double* lat1, double* lon1, double* lat2,
                                              double* lon2, double* distance, double* bearing,
                                              VARIANT_BOOL* flag) {
    if (!lat1 || !lon1 || !lat2 || !lon2 || !distance || !bearing || !flag) return E_POINTER;
    const std::string arguments =
        Join({Number(*lat1), Number(*lon1), Number(*lat2), Number(*lon2), std::to_string(*flag)});
    return Logged(log_, "DistanceAndBearing", arguments, [&] {
        host_.DistanceAndBearing(*lat1, *lon1, *lat2, *lon2, *distance, *bearing,
                                 *flag != VARIANT_FALSE);
    });
}

HRESULT ApplicationObject::GetStation(IUIViewStation** station, VARIANT_BOOL* found) {
    if (!station || !found) return E_POINTER;
    StationObject* ours = *station ? StationObject::Find(*station) : nullptr;
    return Logged(log_, "GetStation", {}, [&] {
        if (!ours) throw host::HostError("not a station object of this host");
        bool known = false;
        host_.GetStation(ours->Inner(), known);
        *found = known ? VARIANT_TRUE : VARIANT_FALSE;
    });
}

}  // namespace standin
