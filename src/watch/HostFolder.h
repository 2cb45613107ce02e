// The built-in host's folder at start: made with its settings (the demo as the feed) the
// first time, registered where the add-on looks for its host.
#pragma once

#include <optional>
#include <string>

#include "platform/Paths.h"

namespace watch {

// Makes sure the add-on finds a host with a home station; gives the host's folder, or nothing
// when that cannot be (logged here: the add-on would only say less).
std::optional<std::string> PrepareHost(const platform::FileLayout& layout);

}  // namespace watch
