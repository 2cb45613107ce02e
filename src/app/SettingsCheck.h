// --check: the settings a watch would start with, where each value came from, and whether
// the watch could start with them. Writes nothing.
#pragma once

#include <functional>
#include <iosfwd>
#include <vector>

#include "app/CommandLine.h"
#include "app/StartChecks.h"
#include "platform/Paths.h"
#include "platform/Regional.h"

namespace app {

// What the check needs of the system it runs on, and what that home's program adds to it.
struct CheckPlace {
    platform::FileLayout layout;
    const platform::Regional& regional;
    // Shows more of the configuration and tries it, with what that found (the MQTT broker).
    std::function<std::vector<Finding>(const StartSettings&, std::ostream&)> showMore;
    // The start's own checks of what `showMore` shows.
    std::function<void(const StartSettings&, std::vector<Finding>&)> checkMore;
};

// Prints the effective configuration to `out` and each problem to `err`; 0 when the watch
// could start, 1 otherwise.
int CheckSettings(const CommandLine& options, const CheckPlace& place, std::ostream& out,
                  std::ostream& err);

}  // namespace app
