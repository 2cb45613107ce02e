// --check: the settings a watch would start with, where each value came from, and whether
// the watch could start with them. Writes nothing.
#pragma once

#include <iosfwd>

#include "app/CommandLine.h"
#include "app/StartChecks.h"
#include "platform/Paths.h"
#include "platform/Regional.h"

namespace app {

// What the check needs of the system it runs on.
struct CheckPlace {
    platform::FileLayout layout;
    const platform::Regional& regional;
};

// Prints the effective configuration to `out` and each problem to `err`; 0 when the watch
// could start, 1 otherwise.
int CheckSettings(const CommandLine& options, const CheckPlace& place, std::ostream& out,
                  std::ostream& err);

}  // namespace app
