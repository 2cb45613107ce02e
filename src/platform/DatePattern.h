// A system's short-date pattern in the tokens the core formats dates with.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Qt's and Windows' short-date patterns share their letters: d, dd (ddd, dddd are day
// names), M, MM (MMM, MMMM month names), y, yy, yyyy, and 'quoted text'. The result holds
// only d, dd, M, MM, yy, yyyy and separators: day names are dropped, month names become
// numbers, quoted text is kept without its quotes unless it holds a pattern letter. A pattern
// that lacks the day, the month or the year gives "dd/MM/yyyy".
std::string ShortDatePattern(std::string_view pattern);

}  // namespace platform
