// The program's windows: the add-on's main window (none headless), the built-in host's map
// window with its base map and tiles, the incident list under it.
#pragma once

#include <memory>
#include <string>

#include "basemap/BaseMap.h"
#include "builtin_host/BuiltinHost.h"
#include "builtin_host/HostSettings.h"
#include "dashboard/DashboardSource.h"
#include "incident_outlets/IncidentLog.h"
#include "incident_ui/IncidentPanel.h"
#include "net/IoThread.h"
#include "net/UiQueue.h"
#include "program/Sirenwatch.h"
#include "qt/FormWindow.h"
#include "qt/QtPlatform.h"
#include "qt_host/MapView.h"
#include "qt_host/TileLayer.h"
#include "watch/DashboardStart.h"
#include "watch_settings/WatchSettings.h"

namespace app {

using watch::LoadShippedBaseMap;

// Online tiles when the settings name a tile server; none otherwise.
std::unique_ptr<qt_host::TileLayer> MakeTileLayer(const watch_settings::WatchSettings& settings);

// The map window of the built-in host, beside the add-on's window. Closing it closes the
// host, and the add-on with it.
std::unique_ptr<qt_host::MapView> OpenMapWindow(builtin_host::BuiltinHost& host,
                                                const builtin_host::HostSettings& settings,
                                                const QWidget& mainWindow);

// The incident list under the map window: the dashboard's incidents and actions, in the window.
// Closed, it comes back from the map's context menu.
std::unique_ptr<incident_ui::IncidentPanel> OpenIncidentList(dashboard::Source& source,
                                                             qt_host::MapView& map);

// Headless there are no widgets at all: the report follows the forms' models, and the forms'
// timers tick without a window, owned by timerOwner. Otherwise the add-on's main window.
std::unique_ptr<qt::FormWindow> MakeMainWindow(program::Sirenwatch& program,
                                               qt::QtPlatform& platform, bool headless,
                                               QObject& timerOwner);

// The base map, the tiles when a server is set, and the export in the window's menu.
void FurnishMap(qt_host::MapView& map, const std::string& folder,
                const watch_settings::WatchSettings& settings, const incidents::IncidentLog& log,
                net::IoThread& network, net::UiQueue& ui);

}  // namespace app
