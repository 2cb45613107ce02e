// A moment as text with strftime's format, in local time or in UTC, the same on both homes.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// Empty when the system cannot place the moment.
std::string LocalTimeText(std::int64_t unixSeconds, const char* format);
std::string UtcTimeText(std::int64_t unixSeconds, const char* format);

}  // namespace platform
