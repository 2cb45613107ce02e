// --export: the incident log to a GPX or KML file, without the watch, for both executables.
#pragma once

#include <optional>
#include <ostream>
#include <string>

namespace watch {

// Writes what the incident log in `dataFolder` holds (from `since` on, when given) to `file`;
// says what it wrote on `out`, or why not on `err`. The exit status: 0 written, 1 not, 2 a
// `since` that is no date or time.
int ExportIncidentLog(const std::string& dataFolder, const std::string& file,
                      const std::optional<std::string>& since, std::ostream& out,
                      std::ostream& err);

}  // namespace watch
