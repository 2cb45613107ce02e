// The local wall clock for readings many times a second. Asking the C library for local time
// checks the zone file every time; the zone's offset from UTC changes only on a whole minute,
// so it is looked up again once a minute and applied to the UTC time in between.
#pragma once

#include <cstdint>
#include <functional>
#include <limits>

#include "platform/Regional.h"

namespace qt {

// Local date and time for a count of seconds since 1970-01-01 00:00 UTC and an offset.
platform::DateTime LocalDateTime(std::int64_t utcSeconds, std::int64_t offsetSeconds);

class LocalTimeCache {
public:
    using UtcSeconds = std::function<std::int64_t()>;
    // Seconds east of UTC at that moment.
    using OffsetAt = std::function<std::int64_t(std::int64_t utcSeconds)>;

    // Defaults: the system clock, and the system's zone (re-read on each lookup).
    explicit LocalTimeCache(UtcSeconds now = {}, OffsetAt offset = {});

    platform::DateTime Now();

private:
    UtcSeconds now_;
    OffsetAt offsetAt_;
    std::int64_t offset_ = 0;
    std::int64_t lookedUpMinute_ = std::numeric_limits<std::int64_t>::min();
};

}  // namespace qt
