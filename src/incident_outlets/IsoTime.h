// Times as the incident log writes and reads them: ISO 8601 text, Unix seconds underneath.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace incidents {

// Unix seconds as "2026-12-07T10:15:00Z"; empty outside the years 1 to 9999.
std::string IsoTime(std::int64_t seconds);

// "2026-12-07T10:15:00Z", "2026-12-07T11:15:00+01:00", "2026-12-07 10:15" (seconds and their
// fraction may be left out; a fraction is dropped): its Unix seconds. Without a zone the time is
// UTC, or the computer's local time when `localWithoutZone`. Nothing for other text, a zone
// beyond -12:00..+14:00 among it.
std::optional<std::int64_t> ParseIsoTime(std::string_view text, bool localWithoutZone = false);

// The Unix seconds of the local midnight that starts the day "2026-12-07"; nothing for other text.
std::optional<std::int64_t> LocalStartOfDay(std::string_view day);

// Seconds now, from the system's clock.
std::int64_t SecondsNow();

}  // namespace incidents
