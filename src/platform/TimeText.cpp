#include "platform/TimeText.h"

#include <ctime>

namespace platform {
namespace {

std::string Formatted(const std::tm& moment, const char* format) {
    char text[64] = {};
    std::strftime(text, sizeof text, format, &moment);
    return text;
}

}  // namespace

std::string LocalTimeText(std::int64_t unixSeconds, const char* format) {
    const std::time_t t = static_cast<std::time_t>(unixSeconds);
    std::tm local{};
#ifdef _WIN32
    if (localtime_s(&local, &t) != 0) return {};
#else
    if (localtime_r(&t, &local) == nullptr) return {};
#endif
    return Formatted(local, format);
}

std::string UtcTimeText(std::int64_t unixSeconds, const char* format) {
    const std::time_t t = static_cast<std::time_t>(unixSeconds);
    std::tm utc{};
#ifdef _WIN32
    if (gmtime_s(&utc, &t) != 0) return {};
#else
    if (gmtime_r(&t, &utc) == nullptr) return {};
#endif
    return Formatted(utc, format);
}

}  // namespace platform
