// Each host operation as one call on the program's interfaces, arguments by reference as its
// interfaces declare them.
#include "com/ComHost.h"

#include "com/ComCall.h"
#include "win32/SafeCall.h"
#include "win32/WindowClass.h"

namespace com {

namespace {

// Where the add-on reads the events' dispatch identifiers, and the events' positions.
constexpr UINT kDataAvailable = 0;
constexpr UINT kUIView32IsClosing = 1;
constexpr UINT kMapRedrawn = 0;

DISPID EventAt(const std::vector<DISPID>& ids, UINT position) {
    if (position >= ids.size()) throw host::HostError("the host's events interface is too short");
    return ids[position];
}

}  // namespace

// ---- station

void ComStation::SetCallsign(const std::string& callsign) {
    Bstr text(callsign);
    Check(station_->SetCallsign(text.Get()), "SetCallsign");
}

std::string ComStation::GetBeaconText() {
    Bstr text;
    Check(station_->GetBeaconText(text.Out()), "GetBeaconText");
    return text.Utf8();
}

std::string ComStation::GetMessageType() {
    Bstr text;
    Check(station_->GetMessageType(text.Out()), "GetMessageType");
    return text.Utf8();
}

float ComStation::GetSingle(HRESULT (STDMETHODCALLTYPE IUIViewStation::*get)(float*),
                            const char* name) {
    float value = 0;
    Check((station_.Get()->*get)(&value), name);
    return value;
}

float ComStation::GetLongitude() {
    return GetSingle(&IUIViewStation::GetLongitude, "GetLongitude");
}

float ComStation::GetLatitude() {
    return GetSingle(&IUIViewStation::GetLatitude, "GetLatitude");
}

float ComStation::GetAltitude() {
    return GetSingle(&IUIViewStation::GetAltitude, "GetAltitude");
}

float ComStation::GetSpeed() {
    return GetSingle(&IUIViewStation::GetSpeed, "GetSpeed");
}

float ComStation::GetDistance() {
    return GetSingle(&IUIViewStation::GetDistance, "GetDistance");
}

std::int16_t ComStation::GetCourse() {
    short degrees = 0;
    Check(station_->GetCourse(&degrees), "GetCourse");
    return degrees;
}

// ---- map

void ComMap::DrawCircle(float x, float y, float radius, std::int32_t color, float startAngle,
                        double endAngle, float aspect) {
    long colour = color;
    Check(map_->DrawCircle(&x, &y, &radius, &colour, &startAngle, &endAngle, &aspect),
          "DrawCircle");
}

float ComMap::GetScale() {
    float scale = 0;
    Check(map_->GetScale(&scale), "GetScale");
    return scale;
}

void ComMap::SetDrawWidth(std::int16_t width) {
    short value = width;
    Check(map_->SetDrawWidth(&value), "SetDrawWidth");
}

void ComMap::SetFillStyle(std::int16_t style) {
    short value = style;
    Check(map_->SetFillStyle(&value), "SetFillStyle");
}

void ComMap::SetFillColor(std::int32_t color) {
    long value = color;
    Check(map_->SetFillColor(&value), "SetFillColor");
}

void ComMap::Connect(host::MapEvents* listener) {
    if (!listener) {
        listener_ = nullptr;
        advice_.reset();
        return;
    }
    if (advice_) {
        listener_ = listener;
        return;
    }
    const DISPID redrawn =
        EventAt(EventDispIds(LIBID_UIView32, DIID_DUIViewMapEvents), kMapRedrawn);
    auto sink = EventSink::Create(DIID_DUIViewMapEvents, {{redrawn, [this] {
                                                               if (listener_)
                                                                   listener_->MapRedrawn();
                                                           }}});
    advice_.emplace(map_.Get(), DIID_DUIViewMapEvents, sink.Get());
    listener_ = listener;
}

// ---- application

void ComApplication::DistanceAndBearing(double lat1, double lon1, double lat2, double lon2,
                                        double& distance, double& bearing, bool flag) {
    VARIANT_BOOL flagValue = flag ? VARIANT_TRUE : VARIANT_FALSE;
    Check(application_->DistanceAndBearing(&lat1, &lon1, &lat2, &lon2, &distance, &bearing,
                                           &flagValue),
          "DistanceAndBearing");
}

void ComApplication::GetStation(host::Station& station, bool& found) {
    auto* ours = dynamic_cast<ComStation*>(&station);
    if (!ours) throw host::HostError("GetStation: not a station object of the host");
    // The station goes in and may come back replaced: the reference passed in is the
    // program's, the one that comes back is ours to release.
    IUIViewStation* passed = ours->Interface();
    passed->AddRef();
    VARIANT_BOOL known = VARIANT_FALSE;
    const HRESULT hr = application_->GetStation(&passed, &known);
    if (passed) passed->Release();
    Check(hr, "GetStation");
    found = known != VARIANT_FALSE;
}

void ComApplication::RedrawMap() {
    Check(application_->RedrawMap(), "RedrawMap");
}

std::string ComApplication::GetAprsData() {
    Bstr text;
    Check(application_->GetAprsData(text.Out()), "GetAprsData");
    return text.Utf8();
}

host::Map& ComApplication::GetMap() {
    if (map_) return *map_;
    ComPtr<IDispatch> object;
    Check(application_->GetMap(object.GetAddressOf()), "GetMap");
    if (!object) throw host::HostError("GetMap: no map object");
    ComPtr<IUIViewMap> map;
    Check(object.As(&map), "GetMap (map interface)");
    map_ = std::make_unique<ComMap>(std::move(map));
    return *map_;
}

void ComApplication::Connect(host::ApplicationEvents* listener) {
    if (!listener) {
        listener_ = nullptr;
        watch_.reset();
        advice_.reset();
        return;
    }
    if (advice_) {
        listener_ = listener;
        return;
    }
    const auto ids = EventDispIds(LIBID_UIView32, DIID_DUIViewApplicationEvents);
    auto sink = EventSink::Create(DIID_DUIViewApplicationEvents,
                                  {{EventAt(ids, kDataAvailable),
                                    [this] {
                                        if (listener_) listener_->DataAvailable();
                                    }},
                                   {EventAt(ids, kUIView32IsClosing), [this] {
                                        if (listener_) listener_->UIView32IsClosing();
                                    }}});
    advice_.emplace(application_.Get(), DIID_DUIViewApplicationEvents, sink.Get());
    // Only a listener that is connected is known here: one whose connection failed is never
    // called.
    listener_ = listener;
    watch_.emplace(application_.Get(), [this](const std::string& what) {
        if (listener_) listener_->HostLost(what);
    });
}

// ---- the server's life

namespace {

constexpr wchar_t kWatchClass[] = L"SirenwatchServerWatch";
constexpr UINT kWatchIntervalMs = 1000;

// Answers that mean only that the host is busy, not gone.
bool Busy(HRESULT hr) {
    return hr == RPC_E_CALL_REJECTED || hr == RPC_E_SERVERCALL_RETRYLATER ||
           hr == RPC_E_CANTCALLOUT_ININPUTSYNCCALL || hr == RPC_E_CANTCALLOUT_INEXTERNALCALL;
}

}  // namespace

ServerWatch::ServerWatch(IUnknown* server, std::function<void(const std::string&)> onLost)
    : onLost_(std::move(onLost)) {
    server->QueryInterface(IID_PPV_ARGS(&server_));
    win32::RegisterWindowClass(kWatchClass, WindowProc);
    window_ = CreateWindowExW(0, kWatchClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    if (server_) SetTimer(window_, 1, kWatchIntervalMs, nullptr);
}

ServerWatch::~ServerWatch() {
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
}

LRESULT CALLBACK ServerWatch::WindowProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message != WM_TIMER) return DefWindowProcW(window, message, w, l);
    auto* self = reinterpret_cast<ServerWatch*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self) win32::SafeCall([self] { self->Ask(); });
    return 0;
}

void ServerWatch::Ask() {
    if (asking_) return;
    asking_ = true;
    UINT count = 0;
    // A call the server answers itself, which changes nothing there.
    const HRESULT hr = server_->GetTypeInfoCount(&count);
    asking_ = false;
    if (SUCCEEDED(hr) || Busy(hr)) return;
    KillTimer(window_, 1);
    // Last: what it runs may end the watch.
    onLost_(FailureText(hr, "UI-View32"));
}

// ---- creation

namespace {

template <typename Interface>
ComPtr<Interface> CreateInServer(const CLSID& clsid, const char* what) {
    ComPtr<Interface> object;
    const HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_PPV_ARGS(&object));
    if (FAILED(hr)) throw host::HostUnavailable(FailureText(hr, what));
    return object;
}

}  // namespace

host::Application& ComConnector::CreateApplication() {
    if (!application_)
        application_ = std::make_unique<ComApplication>(
            CreateInServer<IUIViewApplication>(CLSID_UIViewApplication, "UIView32.Application"));
    return *application_;
}

std::unique_ptr<host::Station> ComConnector::CreateStation() {
    return std::make_unique<ComStation>(
        CreateInServer<IUIViewStation>(CLSID_UIViewStation, "UIView32.Station"));
}

}  // namespace com
