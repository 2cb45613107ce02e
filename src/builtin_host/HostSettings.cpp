// Reading and writing the built-in host's settings file.
#include "builtin_host/HostSettings.h"

#include <charconv>
#include <cmath>

#include "geo/Coordinates.h"
#include "host/HostPorts.h"
#include "platform/NumberText.h"
#include "platform/Paths.h"
#include "settings/ProfileFile.h"

namespace builtin_host {
namespace {

constexpr char kStation[] = "Station";
constexpr char kSetUp[] = "SetUp";

std::string ScaleText(float scale) {
    char buffer[32];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, scale);
    return ec == std::errc() ? std::string(buffer, end) : std::string("50");
}

// The map's scale; one that is not a width is noted with the one used instead.
void ReadMapScale(const std::string& file, HostSettings& s) {
    const std::string text = settings::ReadProfileString(file, kHostSection, "MapScale");
    if (text.empty()) return;
    const double scale = platform::Val(text);
    if (std::isfinite(scale) && scale > 0 && scale < 1e9) {
        s.mapScale = static_cast<float>(scale);
        return;
    }
    s.notes.push_back({"MapScale",
                       "MapScale: \"" + text + "\" is not a width in kilometres; " +
                           ScaleText(s.mapScale) + " is used",
                       false});
}

}  // namespace

std::string HostIniPath(const std::string& folder) {
    if (folder.empty()) return host::kSettingsFileName;
    const char last = folder.back();
    if (last == '/' || last == platform::kPathSeparator) return folder + host::kSettingsFileName;
    return platform::JoinPath(folder, host::kSettingsFileName);
}

HostSettings LoadHostSettings(const std::string& folder) {
    const std::string file = HostIniPath(folder);
    HostSettings s;
    s.callsign = settings::ReadProfileString(file, kStation, "Callsign");
    s.latitudeText = settings::ReadProfileString(file, kStation, "Latitude");
    s.longitudeText = settings::ReadProfileString(file, kStation, "Longitude");
    s.programVersion = settings::ReadProfileString(file, kSetUp, "PROGRAM_VERSION");
    ReadMapScale(file, s);
    return s;
}

bool SaveHostSettings(const std::string& folder, const HostSettings& s) {
    const std::string file = HostIniPath(folder);
    return settings::WriteProfileString(file, kStation, "Callsign", s.callsign) &&
           settings::WriteProfileString(file, kStation, "Latitude", s.latitudeText) &&
           settings::WriteProfileString(file, kStation, "Longitude", s.longitudeText) &&
           settings::WriteProfileString(file, kSetUp, "PROGRAM_VERSION", s.programVersion) &&
           settings::WriteProfileString(file, kHostSection, "MapScale", ScaleText(s.mapScale));
}

std::optional<HomePosition> HomeFromSettings(const HostSettings& settings) {
    const auto lat = geo::ParseCompactCoordinate(settings.latitudeText, false);
    const auto lon = geo::ParseCompactCoordinate(settings.longitudeText, true);
    if (!lat || !lon) return std::nullopt;
    return HomePosition{*lat, *lon};
}

}  // namespace builtin_host
