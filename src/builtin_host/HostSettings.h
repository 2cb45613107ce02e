// The built-in host's settings file "Uiview32.INI" in its install folder: the home station
// the add-on reads, the version it checks, and the host's map scale. Sirenwatch keeps its own
// settings in the same file, in sections of its own (watch_settings/).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "builtin_host/StationList.h"
#include "host/HostPorts.h"

namespace builtin_host {

inline constexpr char kHostSection[] = "Sirenwatch Host";

// A value of the file that could not be taken as written: what is wrong with it and what is
// used instead, or that no value would be safe in its place.
struct SettingNote {
    std::string key;  // as the file spells it, "MapScale"
    std::string text;
    bool refusesStart = false;
};

struct HostSettings {
    std::string callsign;
    std::string latitudeText;   // compact form, "4530.25N"
    std::string longitudeText;  // compact form, "00912.34E"
    std::string programVersion = host::kLowestVersionText;
    // The map's scale as the add-on reads it (GetScale): its circles get a radius of
    // mapScale / 25 minutes of arc. The map view opens this many kilometres wide.
    float mapScale = 50;
    // What could not be read as written, key by key.
    std::vector<SettingNote> notes;
};

// The settings file of a host folder. The folder is stored with a trailing separator (the
// add-on appends the file name directly); one is added here when it is missing.
std::string HostIniPath(const std::string& folder);

// Missing values take the defaults of HostSettings (except the station keys, which stay empty
// as they are in the file); an unreadable one is noted with the value used in its place.
// Sirenwatch's keys in the file are neither read nor written here.
HostSettings LoadHostSettings(const std::string& folder);
// False when the file could not be written.
bool SaveHostSettings(const std::string& folder, const HostSettings& settings);

// The home position from the station keys, when both parse.
std::optional<HomePosition> HomeFromSettings(const HostSettings& settings);

}  // namespace builtin_host
