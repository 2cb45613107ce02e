// host_map.exe: the built-in host's map window on Windows, with a capture's stations, an
// emergency in view and one beyond it, the add-on's circle and a silent-feed warning, and the
// notification-area icon's balloon for the emergency; under it the incident list over a small
// source of three incidents (new, being handled, closed), the one being handled selected. Prints
// each action the list hands the source. For the Windows pictures; runs until the map is closed.
//   host_map.exe BASEMAP_FILE CAPTURE_FILE
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "basemap/BaseMap.h"
#include "builtin_host/BuiltinHost.h"
#include "win32/Win32Ports.h"
#include "win32_host/IncidentList.h"
#include "win32_host/MapWindow.h"
#include "win32_host/TrayIcon.h"

namespace {

namespace dash = ::dashboard;
constexpr std::int64_t kNow = 1'796'637'600;  // 2026-12-07 10:00 UTC

dash::IncidentView Incident(std::string id, std::string callsign, std::string stateKey,
                            std::string state, std::vector<std::string> actions) {
    dash::IncidentView in;
    in.id = std::move(id);
    in.callsign = std::move(callsign);
    in.stateKey = std::move(stateKey);
    in.state = std::move(state);
    in.actions = std::move(actions);
    in.grade = "Mic-E Emergency";
    in.firstHeard_s = kNow - 1500;
    in.lastHeard_s = kNow - 95;
    in.evidence =
        "Q7MOB-9>T4QS4P,WIDE1-1:`|Qqq!V>/\"adrift & <b>taking water</b>\": Mic-E Emergency";
    return in;
}

// Three incidents as the book would show them; an action is printed and taking over changes
// the handler, as the book would.
class ThreeIncidents final : public dash::Source {
public:
    ThreeIncidents() {
        snapshot_.now_s = kNow;
        snapshot_.languageCode = 2000;
        snapshot_.incidents = {
            Incident("1", "Q7SEA-9", "new", "new", {"acknowledge", "take", "note", "close"}),
            Incident("2", "Q7MOB-9", "being_handled", "being handled",
                     {"take_over", "release", "note", "close"}),
            Incident("3", "Q7OLD-1", "closed", "closed", {})};
        snapshot_.incidents[0].grade = "Emergency";
        snapshot_.incidents[0].lastHeard_s = kNow - 20;
        snapshot_.incidents[1].operatorName = "Anna";
        snapshot_.incidents[1].notes = {{kNow - 600, "Anna", "called the coast guard"}};
        snapshot_.incidents[2].heldBack = "outside the area";
        snapshot_.incidents[2].lastHeard_s = kNow - 7400;
    }
    dash::Snapshot Current() const override { return snapshot_; }
    dash::ActionResult Act(const dash::Action& action) override {
        const auto key =
            std::ranges::find(dash::kDeskActions, action.kind, &dash::DeskAction::kind);
        std::printf("action %s on %s by %s: %s\n", key->key, action.incident.c_str(),
                    action.operatorName.c_str(), action.note.c_str());
        std::fflush(stdout);
        if (action.kind == dash::ActionKind::TakeOver && action.incident == "2") {
            snapshot_.incidents[1].operatorName = action.operatorName;
            snapshot_.incidents[1].notes.push_back({kNow, action.operatorName, action.note});
            Changed();
        }
        return {};
    }

private:
    dash::Snapshot snapshot_;
};

}  // namespace

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
    // Room under the map for the incident list on the test's small desktop.
    SetWindowPos(window.Handle(), nullptr, 0, 0, 660, 420, SWP_NOZORDER);
    window.SetEvidence(&host.Emergencies());
    if (auto map = basemap::LoadBaseMap(argv[1]))
        window.SetBaseMap(std::make_shared<basemap::BaseMap>(std::move(*map)));
    window.SetHomeCallsign("N0CALL");
    window.SetWarning("KISS 127.0.0.1:8001 silent for 15 min 05 s, last heard 12:03:04");
    window.onClose = [] { PostQuitMessage(0); };
    ThreeIncidents incidents;
    win32_host::IncidentList list(incidents, window.Handle());
    list.Select("2");
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
