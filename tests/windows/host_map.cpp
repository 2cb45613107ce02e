// host_map.exe: the built-in host's map window on Windows, with a capture's stations, an
// emergency in view and one beyond it, the add-on's circle and a silent-feed warning, and the
// notification-area icon's balloon for the emergency, for the Windows pictures. Runs until the
// window is closed.
//   host_map.exe BASEMAP_FILE CAPTURE_FILE
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "basemap/BaseMap.h"
#include "builtin_host/BuiltinHost.h"
#include "win32/Win32Ports.h"
#include "win32_host/MapWindow.h"
#include "win32_host/TrayIcon.h"

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    win32::Win32Clock clock;
    builtin_host::BuiltinHost host(clock, builtin_host::HomePosition{45.504167, 9.205667});
    std::ifstream capture(argv[2]);
    for (std::string line; std::getline(capture, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        // A replay's line: its time, a space, the monitor line.
        host.OnTnc2Line(line.substr(line.find(' ') + 1));
    }
    // A station in emergency far to the south-east, out of the first view.
    host.OnTnc2Line("Q7SEA-9>APRS,WIDE1-1:!4030.00N/01730.00E>!EMERGENCY! adrift");
    host.MapState().SetDrawWidth(3);
    host.MapState().SetFillStyle(6);
    host.MapState().SetFillColor(0x00FFFF);
    host.MapState().DrawCircle(9.0f * 60, 45.6f * 60, 3, 0xFF0000, 0, 360, 1);

    win32_host::MapWindow window(host.MapState(), host.Stations());
    window.SetEvidence(&host.Emergencies());
    if (auto map = basemap::LoadBaseMap(argv[1]))
        window.SetBaseMap(std::make_shared<basemap::BaseMap>(std::move(*map)));
    window.SetHomeCallsign("N0CALL");
    window.SetWarning("KISS 127.0.0.1:8001 silent for 15 min 05 s, last heard 12:03:04");
    window.onClose = [] { PostQuitMessage(0); };
    // The balloon an emergency gives; the suite reads whether the shell took it.
    win32_host::TrayIcon tray;
    std::printf("tray icon %s, balloon %s\n", tray.Shown() ? "shown" : "missing",
                tray.Tell("Sirenwatch: EMERGENCY", "Q7SEA-9 in emergency, 874.6 km", true)
                    ? "shown"
                    : "missing");
    std::fflush(stdout);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
