// Local time from UTC and a cached zone offset.
#include "qt/LocalTime.h"

#include <chrono>
#include <ctime>

namespace qt {

namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    return a / b - (a % b < 0 ? 1 : 0);
}

std::int64_t SystemUtcSeconds() {
    using namespace std::chrono;
    return duration_cast<seconds>(system_clock::now().time_since_epoch()).count();
}

std::int64_t SystemOffset(std::int64_t utcSeconds) {
    tzset();  // notices a changed zone setting (TZ, /etc/localtime)
    const auto t = static_cast<std::time_t>(utcSeconds);
    std::tm local{};
    if (localtime_r(&t, &local) == nullptr) return 0;
    return local.tm_gmtoff;
}

}  // namespace

platform::DateTime LocalDateTime(std::int64_t utcSeconds, std::int64_t offsetSeconds) {
    const std::int64_t local = utcSeconds + offsetSeconds;
    const std::int64_t days = FloorDiv(local, kSecondsPerDay);
    const std::int64_t secondOfDay = local - days * kSecondsPerDay;
    // Days since 1970-01-01 to a civil date, in 400-year eras that start on 1 March.
    const std::int64_t z = days + 719468;
    const std::int64_t era = FloorDiv(z, 146097);
    const std::int64_t dayOfEra = z - era * 146097;
    const std::int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;  // 0 is March
    const std::int64_t month = shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9;
    const std::int64_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    platform::DateTime t;
    t.year = static_cast<int>(year);
    t.month = static_cast<int>(month);
    t.day = static_cast<int>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
    t.hour = static_cast<int>(secondOfDay / 3600);
    t.minute = static_cast<int>(secondOfDay / 60 % 60);
    t.second = static_cast<int>(secondOfDay % 60);
    return t;
}

LocalTimeCache::LocalTimeCache(UtcSeconds now, OffsetAt offset)
    : now_(now ? std::move(now) : SystemUtcSeconds),
      offsetAt_(offset ? std::move(offset) : SystemOffset) {}

platform::DateTime LocalTimeCache::Now() {
    const std::int64_t utc = now_();
    const std::int64_t minute = FloorDiv(utc, 60);
    if (minute != lookedUpMinute_) {
        offset_ = offsetAt_(utc);
        lookedUpMinute_ = minute;
    }
    return LocalDateTime(utc, offset_);
}

}  // namespace qt
