// Reading the base map file: a grid line, then one encoded line per land ring or border.
#include "basemap/BaseMap.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <sstream>

#include "platform/Paths.h"

namespace basemap {
namespace {

struct Grid {
    double stepLongitude = 0, stepLatitude = 0, originLongitude = 0, originLatitude = 0;
};

// "grid STEP_LON STEP_LAT ORIGIN_LON ORIGIN_LAT".
std::optional<Grid> ParseGrid(std::string_view line) {
    if (!line.starts_with("grid ")) return std::nullopt;
    line.remove_prefix(5);
    double values[4];
    for (double& value : values) {
        while (line.starts_with(' ')) line.remove_prefix(1);
        const auto [end, ec] = std::from_chars(line.data(), line.data() + line.size(), value);
        if (ec != std::errc()) return std::nullopt;
        line.remove_prefix(static_cast<std::size_t>(end - line.data()));
    }
    for (const double value : values) {
        if (!std::isfinite(value)) return std::nullopt;
    }
    if (!line.empty() || values[0] <= 0 || values[1] <= 0) return std::nullopt;
    return Grid{values[0], values[1], values[2], values[3]};
}

// One number of an encoded polyline: 5-bit groups, low first, each plus 63, 0x20 = more.
std::optional<std::int64_t> NextNumber(std::string_view& text) {
    std::uint64_t value = 0;
    for (int shift = 0; shift < 40; shift += 5) {
        if (text.empty()) return std::nullopt;
        const int chunk = static_cast<unsigned char>(text.front()) - 63;
        text.remove_prefix(1);
        if (chunk < 0 || chunk > 63) return std::nullopt;
        value |= static_cast<std::uint64_t>(chunk & 0x1F) << shift;
        if ((chunk & 0x20) == 0) {
            const auto half = static_cast<std::int64_t>(value >> 1);
            return (value & 1) != 0 ? ~half : half;
        }
    }
    return std::nullopt;
}

std::optional<GeoLine> ParseLine(std::string_view text, const Grid& grid) {
    GeoLine line;
    std::int64_t x = 0, y = 0;
    while (!text.empty()) {
        const auto dx = NextNumber(text);
        const auto dy = NextNumber(text);
        if (!dx || !dy) return std::nullopt;
        x += *dx;
        y += *dy;
        const GeoPoint p{grid.originLongitude + static_cast<double>(x) * grid.stepLongitude,
                         grid.originLatitude + static_cast<double>(y) * grid.stepLatitude};
        if (p.longitude_deg < -180.001 || p.longitude_deg > 180.001 || p.latitude_deg < -90.001 ||
            p.latitude_deg > 90.001)
            return std::nullopt;
        line.points.push_back(p);
    }
    if (line.points.size() < 2) return std::nullopt;
    const auto [west, east] = std::minmax_element(
        line.points.begin(), line.points.end(),
        [](const GeoPoint& a, const GeoPoint& b) { return a.longitude_deg < b.longitude_deg; });
    const auto [south, north] = std::minmax_element(
        line.points.begin(), line.points.end(),
        [](const GeoPoint& a, const GeoPoint& b) { return a.latitude_deg < b.latitude_deg; });
    line.minLongitude_deg = west->longitude_deg;
    line.maxLongitude_deg = east->longitude_deg;
    line.minLatitude_deg = south->latitude_deg;
    line.maxLatitude_deg = north->latitude_deg;
    return line;
}

platform::Unexpected Fail(std::size_t lineNumber, const char* what) {
    return platform::Fail("line " + std::to_string(lineNumber) + ": " + what);
}

}  // namespace

platform::Result<BaseMap> ParseBaseMap(std::string_view text) {
    BaseMap map;
    std::optional<Grid> grid;
    std::size_t number = 0;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        ++number;
        if (line.ends_with('\r')) line.remove_suffix(1);
        if (line.empty() || line.starts_with('#')) continue;
        if (!grid) {
            grid = ParseGrid(line);
            if (!grid) return Fail(number, "expected the grid line");
            continue;
        }
        const bool land = line.starts_with("L ");
        if (!land && !line.starts_with("B ")) return Fail(number, "unknown kind of line");
        auto parsed = ParseLine(line.substr(2), *grid);
        if (!parsed) return Fail(number, "damaged coordinates");
        (land ? map.land : map.borders).push_back(std::move(*parsed));
    }
    if (!grid) return Fail(number, "no grid line");
    return map;
}

platform::Result<BaseMap> LoadBaseMap(const std::string& path) {
    std::ifstream in(platform::FilePath(path), std::ios::binary);
    if (!in) return platform::Fail("cannot read " + path);
    std::ostringstream text;
    text << in.rdbuf();
    return ParseBaseMap(text.str());
}

}  // namespace basemap
