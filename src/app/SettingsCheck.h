// --check: the settings a watch would start with, where each value came from, and whether
// the watch could start with them. Writes nothing.
#pragma once

#include <iosfwd>

#include "app/CommandLine.h"

namespace app {

// Prints the effective configuration to `out` and each problem to `err`; 0 when the watch
// could start, 1 otherwise. A QCoreApplication must exist.
int CheckSettings(const CommandLine& options, std::ostream& out, std::ostream& err);

}  // namespace app
