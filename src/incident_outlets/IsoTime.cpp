// Writing and reading ISO 8601 times with the standard library and the C library's local time.
#include "incident_outlets/IsoTime.h"

#include <chrono>
#include <cstdio>
#include <ctime>

namespace incidents {
namespace {

using namespace std::chrono;

// Digits only, all of them: "07" gives 7, "7x" nothing.
std::optional<int> Number(std::string_view text) {
    if (text.empty()) return std::nullopt;
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

std::optional<year_month_day> DayOf(std::string_view text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
    const auto y = Number(text.substr(0, 4)), m = Number(text.substr(5, 2)),
               d = Number(text.substr(8, 2));
    if (!y || !m || !d) return std::nullopt;
    const year_month_day day{year(*y), month(unsigned(*m)), std::chrono::day(unsigned(*d))};
    if (!day.ok()) return std::nullopt;
    return day;
}

// Broken-down local time to Unix seconds, the system deciding about summer time.
std::optional<std::int64_t> LocalSeconds(const year_month_day& day, int h, int m, int s) {
    std::tm tm{};
    tm.tm_year = static_cast<int>(day.year()) - 1900;
    tm.tm_mon = static_cast<int>(static_cast<unsigned>(day.month())) - 1;
    tm.tm_mday = static_cast<int>(static_cast<unsigned>(day.day()));
    tm.tm_hour = h;
    tm.tm_min = m;
    tm.tm_sec = s;
    tm.tm_isdst = -1;
    const std::time_t local = std::mktime(&tm);
    if (local == static_cast<std::time_t>(-1)) return std::nullopt;
    return static_cast<std::int64_t>(local);
}

// "Z", "+01:00", "-05:30" as seconds east of UTC.
std::optional<int> ZoneOffset(std::string_view zone) {
    if (zone == "Z") return 0;
    if (zone.size() != 6 || (zone[0] != '+' && zone[0] != '-') || zone[3] != ':')
        return std::nullopt;
    const auto h = Number(zone.substr(1, 2)), m = Number(zone.substr(4, 2));
    if (!h || !m || *h > 14 || *m > 59) return std::nullopt;
    const int offset = *h * 3600 + *m * 60;
    return zone[0] == '-' ? -offset : offset;
}

// "hh:mm", "hh:mm:ss" or "hh:mm:ss.fff" as hours, minutes and seconds; the rest is the zone.
struct ClockTime {
    int hours = 0, minutes = 0, seconds = 0;
    std::string_view zone;
};

std::optional<ClockTime> ClockOf(std::string_view text) {
    if (text.size() < 5 || text[2] != ':') return std::nullopt;
    ClockTime clock;
    const auto h = Number(text.substr(0, 2)), m = Number(text.substr(3, 2));
    if (!h || !m || *h > 23 || *m > 59) return std::nullopt;
    clock.hours = *h;
    clock.minutes = *m;
    text.remove_prefix(5);
    if (text.starts_with(':')) {
        const auto s = Number(text.substr(1, 2));
        if (text.size() < 3 || !s || *s > 59) return std::nullopt;
        clock.seconds = *s;
        text.remove_prefix(3);
        if (text.starts_with('.')) {
            std::size_t digits = 1;
            while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') ++digits;
            if (digits == 1) return std::nullopt;
            text.remove_prefix(digits);
        }
    }
    clock.zone = text;
    return clock;
}

}  // namespace

std::string IsoTime(std::int64_t seconds) {
    constexpr std::int64_t kYear1_s = -62'135'596'800, kYear10000_s = 253'402'300'800;
    if (seconds < kYear1_s || seconds >= kYear10000_s) return {};
    const sys_seconds at{std::chrono::seconds(seconds)};
    const sys_days day = floor<days>(at);
    const year_month_day date(day);
    const hh_mm_ss time(at - day);
    char text[32];
    const int length = std::snprintf(
        text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02dZ", static_cast<int>(date.year()),
        static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
        static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()),
        static_cast<int>(time.seconds().count()));
    return std::string(text, static_cast<std::size_t>(length));
}

std::optional<std::int64_t> ParseIsoTime(std::string_view text, bool localWithoutZone) {
    if (text.size() < 16 || (text[10] != 'T' && text[10] != ' ')) return std::nullopt;
    const auto day = DayOf(text.substr(0, 10));
    const auto clock = ClockOf(text.substr(11));
    if (!day || !clock) return std::nullopt;
    if (clock->zone.empty() && localWithoutZone)
        return LocalSeconds(*day, clock->hours, clock->minutes, clock->seconds);
    const auto offset = clock->zone.empty() ? std::optional<int>(0) : ZoneOffset(clock->zone);
    if (!offset) return std::nullopt;
    const std::int64_t midnight = sys_seconds(sys_days(*day)).time_since_epoch().count();
    return midnight + clock->hours * 3600 + clock->minutes * 60 + clock->seconds - *offset;
}

std::optional<std::int64_t> LocalStartOfDay(std::string_view text) {
    const auto day = DayOf(text);
    if (!day) return std::nullopt;
    return LocalSeconds(*day, 0, 0, 0);
}

std::int64_t SecondsNow() {
    return duration_cast<seconds>(system_clock::now().time_since_epoch()).count();
}

}  // namespace incidents
