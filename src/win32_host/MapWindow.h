// The built-in host's map window on Windows: the scene the Qt window paints, painted with GDI.
// Drag to pan, wheel to zoom around the pointer, hover or click a station for its detail; a
// new emergency outside the view widens it unless the user has just moved the map.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <tuple>

#include "basemap/BaseMap.h"
#include "builtin_host/Evidence.h"
#include "builtin_host/HostMap.h"
#include "builtin_host/StationList.h"
#include "map_scene/MapScene.h"

namespace win32_host {

class MapWindow {
public:
    static constexpr UINT kRepaintDelay_ms = 100;
    static constexpr DWORD kUserHold_ms = 30'000;

    // A top-level window, shown; takes the map's change listener, so it repaints a moment after
    // every redraw.
    MapWindow(builtin_host::HostMap& map, const builtin_host::StationList& stations);
    ~MapWindow();
    MapWindow(const MapWindow&) = delete;
    MapWindow& operator=(const MapWindow&) = delete;

    HWND Handle() const { return window_; }
    // Runs when the user closes the window (the host closes with it).
    std::function<void()> onClose;
    std::function<bool()> inMiles;
    std::function<std::string(const std::string& callsign)> heldBack;

    void SetEvidence(const builtin_host::EvidenceBook* evidence);
    void SetBaseMap(std::shared_ptr<const basemap::BaseMap> map);
    void SetHomeCallsign(std::string call);
    // A warning band across the top (a silent feed); empty removes it.
    void SetWarning(std::string text);
    // Call when stations were heard: repaints once for all heard within the repaint delay.
    void StationsChanged();
    void SetSpanKm(double km);
    const map_scene::MapScene& Scene() const { return scene_; }

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM w, LPARAM l);
    LRESULT Handle(UINT message, WPARAM w, LPARAM l);
    void Paint(HDC dc, const RECT& client);
    void PaintBaseMap(HDC dc, const RECT& client);
    void PaintCircles(HDC dc) const;
    void PaintStations(HDC dc);
    void PaintHome(HDC dc) const;
    void PaintScale(HDC dc) const;
    void PaintEdgeMarkers(HDC dc) const;
    void PaintWarning(HDC dc, const RECT& client) const;
    void Repainted();
    void Wheel(WPARAM w, LPARAM l);
    void ShowDetail(POINT at);
    void SyncSize();

    builtin_host::HostMap& map_;
    map_scene::MapScene scene_;
    HWND window_ = nullptr;
    HWND tip_ = nullptr;
    HFONT font_ = nullptr, bold_ = nullptr;
    std::shared_ptr<const basemap::BaseMap> baseMap_;
    std::string warning_;
    // The base map drawn for one view, copied in while the view stays.
    HBITMAP baseImage_ = nullptr;
    std::tuple<const basemap::BaseMap*, double, double, double, double, double, double> baseKey_{};
    bool dragging_ = false, dragged_ = false;
    POINT dragFrom_{};
    DWORD userMovedAt_ = 0;
    bool userMoved_ = false;
    std::wstring tipText_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace win32_host
