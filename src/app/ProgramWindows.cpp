// The program's windows, opened and furnished.
#include "app/ProgramWindows.h"

#include <QStandardPaths>

#include "app/Program.h"
#include "incident_ui/ExportDialog.h"
#include "platform/Log.h"
#include "qt/Binders.h"

namespace app {

std::unique_ptr<qt_host::TileLayer> MakeTileLayer(const watch_settings::WatchSettings& settings,
                                                  net::IoThread& network, net::UiQueue& ui) {
    if (settings.tileUrl.empty()) return nullptr;  // none, or none usable (the checks told)
    qt_host::TileSettings tiles;
    tiles.urlTemplate = QString::fromStdString(settings.tileUrl);
    tiles.attribution = QString::fromStdString(settings.tileAttribution);
    tiles.cacheFolder = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
                        "/sirenwatch/tiles";
    tiles.userAgent = QString::fromStdString("Sirenwatch/" + VersionText());
    return std::make_unique<qt_host::TileLayer>(tiles, network.Context(), ui);
}

std::unique_ptr<qt_host::MapView> OpenMapWindow(builtin_host::BuiltinHost& host,
                                                const builtin_host::HostSettings& settings,
                                                const QWidget& mainWindow) {
    auto map = std::make_unique<qt_host::MapView>(host.MapState(), host.Stations());
    map->SetEvidence(&host.Emergencies());
    map->SetHomeCallsign(settings.callsign);
    map->onClose = [&host] { host.Close(); };
    map->resize(640, 480);
    map->move(mainWindow.frameGeometry().right() + 16, mainWindow.frameGeometry().top());
    map->show();
    return map;
}

std::unique_ptr<incident_ui::IncidentPanel> OpenIncidentList(dashboard::Source& source,
                                                             qt_host::MapView& map) {
    auto panel = std::make_unique<incident_ui::IncidentPanel>(source);
    panel->resize(map.width(), 260);
    panel->move(map.frameGeometry().left(), map.frameGeometry().bottom() + 16);
    panel->show();
    map.onIncidentList = [list = panel.get()] {
        list->show();
        list->raise();
    };
    return panel;
}

std::unique_ptr<qt::FormWindow> MakeMainWindow(program::Sirenwatch& program,
                                               qt::QtPlatform& platform, bool headless,
                                               QObject& timerOwner) {
    if (headless) {
        qt::bindFormTimers(program.Main(), &timerOwner);
        return nullptr;
    }
    auto window = std::make_unique<qt::FormWindow>(program.Main());
    platform.SetMainWindow(window.get());
    return window;
}

void FurnishMap(qt_host::MapView& map, const std::string& folder,
                const watch_settings::WatchSettings& settings, const incidents::IncidentLog& log,
                net::IoThread& network, net::UiQueue& ui) {
    map.SetBaseMap(LoadShippedBaseMap(folder));
    if (auto tiles = MakeTileLayer(settings, network, ui)) {
        tiles->setParent(&map);
        map.SetTileLayer(tiles.release());
    }
    map.onExport = [&log, &map] { incident_ui::ExportFromMap(log.Folder(), map); };
}

}  // namespace app
