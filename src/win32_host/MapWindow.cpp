// Painting the map scene with GDI, off screen first, and the user's gestures on it.
#include "win32_host/MapWindow.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "map_scene/BaseMapLines.h"
#include "win32/SafeCall.h"
#include "win32/Text.h"
#include "win32/WindowClass.h"
#include "win32/WindowOwner.h"

namespace win32_host {
namespace {

constexpr wchar_t kClassName[] = L"SirenwatchHostMap";
// The name test tools find the window by, as they find the forms' windows.
constexpr UINT_PTR kRepaintTimer = 1;
// GDI takes coordinates well within this; shapes beyond are clipped to it.
constexpr double kFarPixels = 1 << 24;

COLORREF Ref(map_scene::Rgb c) {
    return RGB(c.red, c.green, c.blue);
}

int Px(double value) {
    return static_cast<int>(std::lround(std::clamp(value, -kFarPixels, kFarPixels)));
}

POINT ToPoint(map_scene::Point p) {
    return {Px(p.x), Px(p.y)};
}

// A pen or brush selected for a scope, and deleted after it.
class Selected {
public:
    Selected(HDC dc, HGDIOBJ object, bool owned = true)
        : dc_(dc), object_(object), old_(SelectObject(dc, object)), owned_(owned) {}
    ~Selected() {
        SelectObject(dc_, old_);
        if (owned_) DeleteObject(object_);
    }
    Selected(const Selected&) = delete;
    Selected& operator=(const Selected&) = delete;

private:
    HDC dc_;
    HGDIOBJ object_, old_;
    bool owned_;
};

// The add-on's fill styles as the station program drew them: 0 solid, 1 none, 2..7 hatches.
HBRUSH CircleBrush(const builtin_host::Circle& c) {
    static constexpr int kHatches[] = {HS_HORIZONTAL, HS_VERTICAL, HS_BDIAGONAL,
                                       HS_FDIAGONAL,  HS_CROSS,    HS_DIAGCROSS};
    const COLORREF color = c.fillColor >= 0 ? static_cast<COLORREF>(c.fillColor) : RGB(0, 0, 0);
    if (c.fillStyle == 0) return CreateSolidBrush(color);
    if (c.fillStyle >= 2 && c.fillStyle <= 7)
        return CreateHatchBrush(kHatches[c.fillStyle - 2], color);
    return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
}

void Text(HDC dc, map_scene::Point baseline, const std::string& text) {
    const std::wstring wide = win32::Utf16(text);
    SetTextAlign(dc, TA_BASELINE | TA_LEFT | TA_NOUPDATECP);
    TextOutW(dc, Px(baseline.x), Px(baseline.y), wide.c_str(), static_cast<int>(wide.size()));
}

// A text's box from a point on its baseline.
map_scene::Rect Measure(HDC dc, const std::string& text) {
    const std::wstring wide = win32::Utf16(text);
    SIZE size{};
    GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    return {0, -static_cast<double>(metrics.tmAscent), static_cast<double>(size.cx),
            static_cast<double>(metrics.tmHeight)};
}

std::vector<POINT> Points(const map_scene::Polyline& line) {
    std::vector<POINT> points;
    points.reserve(line.size());
    for (const map_scene::Point& p : line) points.push_back(ToPoint(p));
    return points;
}

HFONT BoldOf(HFONT font) {
    LOGFONTW description{};
    GetObjectW(font, sizeof description, &description);
    description.lfWeight = FW_BOLD;
    return CreateFontIndirectW(&description);
}

}  // namespace

MapWindow::MapWindow(builtin_host::HostMap& map, const builtin_host::StationList& stations)
    : map_(map), scene_(map, stations) {
    scene_.inMiles = [this] { return inMiles && inMiles(); };
    scene_.heldBack = [this](const std::string& callsign) {
        return heldBack ? heldBack(callsign) : std::string();
    };
    font_ = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    bold_ = BoldOf(font_);
    win32::RegisterWindowClass(kClassName, Proc, CS_HREDRAW | CS_VREDRAW);
    RECT frame{0, 0, 640, 480};
    AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
    window_ =
        CreateWindowExW(0, kClassName, L"Sirenwatch host map", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                        CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top, nullptr,
                        nullptr, GetModuleHandleW(nullptr), this);
    win32::SetControlName(window_, L"HostMap");
    tip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                           WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_TRACK | TTF_ABSOLUTE;
    tool.hwnd = window_;
    tool.lpszText = const_cast<wchar_t*>(L"");
    SendMessageW(tip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    SendMessageW(tip_, TTM_SETMAXTIPWIDTH, 0, 600);
    map_.SetChangeListener([this, alive = alive_] {
        if (*alive) StationsChanged();
    });
    SyncSize();
    ShowWindow(window_, SW_SHOWNORMAL);
    UpdateWindow(window_);
}

MapWindow::~MapWindow() {
    *alive_ = false;
    map_.SetChangeListener({});
    if (window_) DestroyWindow(window_);
    if (baseImage_) DeleteObject(baseImage_);
    if (bold_) DeleteObject(bold_);
}

void MapWindow::SetEvidence(const builtin_host::EvidenceBook* evidence) {
    scene_.evidence = evidence;
    InvalidateRect(window_, nullptr, FALSE);
}

void MapWindow::SetBaseMap(std::shared_ptr<const basemap::BaseMap> map) {
    baseMap_ = std::move(map);
    InvalidateRect(window_, nullptr, FALSE);
}

void MapWindow::SetHomeCallsign(std::string call) {
    scene_.homeCallsign = std::move(call);
    InvalidateRect(window_, nullptr, FALSE);
}

void MapWindow::SetWarning(std::string text) {
    warning_ = std::move(text);
    scene_.warningShown = !warning_.empty();
    InvalidateRect(window_, nullptr, FALSE);
}

void MapWindow::StationsChanged() {
    // A timer already set keeps its time: a flood of frames repaints once per delay.
    SetTimer(window_, kRepaintTimer, kRepaintDelay_ms, nullptr);
}

void MapWindow::SetSpanKm(double km) {
    scene_.SetSpanKm(km);
    InvalidateRect(window_, nullptr, FALSE);
    // A zoom changes the scale the add-on sizes its circles by; it draws them again.
    if (map_.SetScale(static_cast<float>(2 * scene_.SpanKm()))) map_.Redraw();
}

void MapWindow::SyncSize() {
    RECT client{};
    GetClientRect(window_, &client);
    scene_.SetViewSize({static_cast<double>(client.right), static_cast<double>(client.bottom)});
}

LRESULT CALLBACK MapWindow::Proc(HWND window, UINT message, WPARAM w, LPARAM l) {
    auto* self = win32::OwnerOf<MapWindow>(window, message, l);
    if (message == WM_NCDESTROY && self) self->window_ = nullptr;
    if (!self || !self->window_) return DefWindowProcW(window, message, w, l);
    return win32::SafeAnswer(window, message, w, l, [&] { return self->Handle(message, w, l); });
}

LRESULT MapWindow::Handle(UINT message, WPARAM w, LPARAM l) {
    switch (message) {
        case WM_ERASEBKGND:
            return 1;  // painted whole in WM_PAINT, without flicker
        case WM_SIZE:
            SyncSize();
            return 0;
        case WM_PAINT: {
            win32::PaintOffscreen(window_,
                                  [this](HDC dc, const RECT& client) { Paint(dc, client); });
            return 0;
        }
        case WM_TIMER:
            if (w != kRepaintTimer) break;
            KillTimer(window_, kRepaintTimer);
            Repainted();
            return 0;
        case WM_MOUSEWHEEL:
            Wheel(w, l);
            return 0;
        case WM_LBUTTONDOWN:
            dragging_ = true;
            dragged_ = false;
            dragFrom_ = {GET_X_LPARAM(l), GET_Y_LPARAM(l)};
            SetCapture(window_);
            return 0;
        case WM_MOUSEMOVE: {
            const POINT at{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
            if (!dragging_) {
                ShowDetail(at);
                return 0;
            }
            const POINT moved{at.x - dragFrom_.x, at.y - dragFrom_.y};
            // A few pixels of jitter in a click are not a drag.
            dragged_ = dragged_ || std::abs(moved.x) + std::abs(moved.y) > 3;
            if (dragged_) {
                userMoved_ = true;
                userMovedAt_ = GetTickCount();
                scene_.PanByPixels({static_cast<double>(moved.x), static_cast<double>(moved.y)});
                dragFrom_ = at;
                InvalidateRect(window_, nullptr, FALSE);
            }
            return 0;
        }
        case WM_LBUTTONUP:
            if (dragging_ && !dragged_) ShowDetail({GET_X_LPARAM(l), GET_Y_LPARAM(l)});
            dragging_ = false;
            ReleaseCapture();
            return 0;
        case WM_CLOSE:
            win32::SafeCall(onClose);
            ShowWindow(window_, SW_HIDE);
            return 0;
        default:
            break;
    }
    return DefWindowProcW(window_, message, w, l);
}

// The point of the map under the pointer stays under it.
void MapWindow::Wheel(WPARAM w, LPARAM l) {
    POINT pointer{GET_X_LPARAM(l), GET_Y_LPARAM(l)};  // on the screen
    ScreenToClient(window_, &pointer);
    userMoved_ = true;
    userMovedAt_ = GetTickCount();
    scene_.ZoomAround({static_cast<double>(pointer.x), static_cast<double>(pointer.y)},
                      GET_WHEEL_DELTA_WPARAM(w) / static_cast<double>(WHEEL_DELTA));
    SetSpanKm(scene_.SpanKm());
}

// Repaints for new traffic, then brings new emergencies into view.
void MapWindow::Repainted() {
    InvalidateRect(window_, nullptr, FALSE);
    const bool userHolds = userMoved_ && GetTickCount() - userMovedAt_ < kUserHold_ms;
    const double wanted = scene_.SpanForNewEmergencies(userHolds);
    if (wanted > scene_.SpanKm()) SetSpanKm(wanted);
}

void MapWindow::ShowDetail(POINT at) {
    const std::wstring text = win32::WindowsLines(
        scene_.DetailAt({static_cast<double>(at.x), static_cast<double>(at.y)}));
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = window_;
    if (text.empty()) {
        SendMessageW(tip_, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool));
        tipText_.clear();
        return;
    }
    if (text != tipText_) {
        tipText_ = text;
        tool.lpszText = tipText_.data();
        SendMessageW(tip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    POINT screen{at.x + 16, at.y + 16};
    ClientToScreen(window_, &screen);
    SendMessageW(tip_, TTM_TRACKPOSITION, 0, MAKELPARAM(screen.x, screen.y));
    SendMessageW(tip_, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
}

void MapWindow::Paint(HDC dc, const RECT& client) {
    SyncSize();
    PaintBaseMap(dc, client);
    SetBkMode(dc, TRANSPARENT);
    const Selected font(dc, font_, false);
    PaintCircles(dc);
    PaintStations(dc);
    PaintHome(dc);
    PaintScale(dc);
    PaintEdgeMarkers(dc);
    PaintWarning(dc, client);
}

// Drawn into a bitmap of its own once per view: a repaint for traffic only copies it.
void MapWindow::PaintBaseMap(HDC dc, const RECT& client) {
    const map_scene::MapProjection p = scene_.Projection();
    const auto key = std::make_tuple(baseMap_.get(), static_cast<double>(client.right),
                                     static_cast<double>(client.bottom), p.pixelsPerKm,
                                     p.centreEastKm, p.centreNorthKm, p.homeLat + p.homeLon);
    HDC image = CreateCompatibleDC(dc);
    if (baseImage_ == nullptr || key != baseKey_) {
        if (baseImage_) DeleteObject(baseImage_);
        baseImage_ = CreateCompatibleBitmap(dc, client.right, client.bottom);
        baseKey_ = key;
        const HGDIOBJ old = SelectObject(image, baseImage_);
        const map_scene::Rect view = scene_.View();
        HBRUSH background =
            CreateSolidBrush(Ref(baseMap_ ? map_scene::kSeaColor : map_scene::kNoMapColor));
        FillRect(image, &client, background);
        DeleteObject(background);
        if (baseMap_) {
            // Land rings as one odd-even polygon set, so a lake inside a continent stays water.
            std::vector<POINT> points;
            std::vector<INT> counts;
            for (const auto& ring : map_scene::LinesInView(baseMap_->land, p, view)) {
                const auto ringPoints = Points(ring);
                points.insert(points.end(), ringPoints.begin(), ringPoints.end());
                counts.push_back(static_cast<INT>(ringPoints.size()));
            }
            SetPolyFillMode(image, ALTERNATE);
            {
                const Selected pen(image, CreatePen(PS_SOLID, 1, Ref(map_scene::kCoastColor)));
                const Selected brush(image, CreateSolidBrush(Ref(map_scene::kLandColor)));
                if (!counts.empty())
                    PolyPolygon(image, points.data(), counts.data(),
                                static_cast<int>(counts.size()));
            }
            const Selected pen(image, CreatePen(PS_DASH, 1, Ref(map_scene::kBorderColor)));
            SetBkMode(image, TRANSPARENT);
            for (const auto& line : map_scene::LinesInView(baseMap_->borders, p, view)) {
                const auto linePoints = Points(line);
                Polyline(image, linePoints.data(), static_cast<int>(linePoints.size()));
            }
        }
        SelectObject(image, old);
    }
    const HGDIOBJ old = SelectObject(image, baseImage_);
    BitBlt(dc, 0, 0, client.right, client.bottom, image, 0, 0, SRCCOPY);
    SelectObject(image, old);
    DeleteDC(image);
}

void MapWindow::PaintCircles(HDC dc) const {
    const map_scene::Rect view = scene_.View();
    for (const map_scene::CircleShape& shape : scene_.Circles()) {
        const builtin_host::Circle& c = *shape.circle;
        const map_scene::Rect box{shape.centre.x - shape.radiusX, shape.centre.y - shape.radiusY,
                                  2 * shape.radiusX, 2 * shape.radiusY};
        if (!box.Adjusted(-c.drawWidth, -c.drawWidth, c.drawWidth, c.drawWidth).Intersects(view))
            continue;
        const COLORREF line = c.color >= 0 ? static_cast<COLORREF>(c.color) : RGB(0, 0, 0);
        const Selected pen(dc, CreatePen(PS_SOLID, std::max<int>(c.drawWidth, 1), line));
        const Selected brush(dc, CircleBrush(c));
        Ellipse(dc, Px(box.left), Px(box.top), Px(box.Right()), Px(box.Bottom()));
    }
}

// Dots first, then the callsigns where the scene found room for them.
void MapWindow::PaintStations(HDC dc) {
    const auto marks = scene_.Stations();
    const Selected outline(dc, CreatePen(PS_SOLID, 1, RGB(40, 40, 40)));
    for (const map_scene::StationMark& m : marks) {
        const Selected brush(dc, CreateSolidBrush(Ref(m.fill)));
        const POINT at = ToPoint(m.at);
        Ellipse(dc, at.x - m.radius, at.y - m.radius, at.x + m.radius + 1, at.y + m.radius + 1);
    }
    SetTextColor(dc, RGB(20, 20, 20));
    // Drawn as text, never interpreted: the names come from the air.
    for (const map_scene::Label& label :
         scene_.Labels(marks, [dc](const std::string& text) { return Measure(dc, text); }))
        Text(dc, label.baseline, label.text);
}

void MapWindow::PaintHome(HDC dc) const {
    const POINT home = ToPoint(scene_.Home());
    {
        const Selected pen(dc, CreatePen(PS_SOLID, 1, RGB(0, 0, 0)));
        const Selected brush(dc, CreateSolidBrush(RGB(20, 60, 200)));
        Rectangle(dc, home.x - 4, home.y - 4, home.x + 5, home.y + 5);
    }
    SetTextColor(dc, RGB(0, 0, 0));
    if (!scene_.homeCallsign.empty()) Text(dc, scene_.HomeLabelAt(), scene_.homeCallsign);
}

// In the lower left, clear of the warning band.
void MapWindow::PaintScale(HDC dc) const {
    const map_scene::ScaleBar bar = scene_.Scale(map_.Scale());
    const POINT left = ToPoint(bar.left), right = ToPoint(bar.right);
    {
        const Selected pen(dc, CreatePen(PS_SOLID, 2, RGB(0, 0, 0)));
        const POINT line[] = {{left.x, left.y - 6}, left, right, {right.x, right.y - 6}};
        Polyline(dc, line, 4);
    }
    SetTextColor(dc, RGB(0, 0, 0));
    Text(dc, bar.left + map_scene::Point{0, -9}, bar.text);
}

// A red arrow on the edge pointing out towards the station, its callsign and distance beside
// it on the inside.
void MapWindow::PaintEdgeMarkers(HDC dc) const {
    for (const map_scene::EdgeMarker& m : scene_.EdgeMarkers()) {
        const map_scene::Point d = m.direction, n{-d.y, d.x};
        const POINT arrow[] = {ToPoint(m.at + d * 10), ToPoint(m.at - d * 4 + n * 7),
                               ToPoint(m.at - d * 4 - n * 7)};
        {
            const Selected pen(dc, CreatePen(PS_SOLID, 1, RGB(120, 0, 0)));
            const Selected brush(dc, CreateSolidBrush(Ref(map_scene::MapScene::kEmergency)));
            Polygon(dc, arrow, 3);
        }
        const map_scene::Rect measured = Measure(dc, m.text);
        const map_scene::Rect box = scene_.EdgeLabelBox(m, {measured.width, measured.height});
        RECT r{Px(box.left), Px(box.top), Px(box.Right()), Px(box.Bottom())};
        FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        SetTextColor(dc, RGB(160, 0, 0));
        SetTextAlign(dc, TA_TOP | TA_LEFT | TA_NOUPDATECP);
        std::wstring wide = win32::Utf16(m.text);
        DrawTextW(dc, wide.data(), static_cast<int>(wide.size()), &r,
                  DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
}

void MapWindow::PaintWarning(HDC dc, const RECT& client) const {
    if (warning_.empty()) return;
    RECT band{0, 0, client.right, static_cast<LONG>(map_scene::MapScene::kBandHeight)};
    HBRUSH red = CreateSolidBrush(RGB(200, 20, 20));
    FillRect(dc, &band, red);
    DeleteObject(red);
    const Selected font(dc, bold_, false);
    SetTextColor(dc, RGB(255, 255, 255));
    SetTextAlign(dc, TA_TOP | TA_LEFT | TA_NOUPDATECP);
    band.left += 8;
    band.right -= 8;
    std::wstring wide = win32::Utf16(warning_);
    DrawTextW(dc, wide.data(), static_cast<int>(wide.size()), &band,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
}

}  // namespace win32_host
