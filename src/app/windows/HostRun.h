// Sirenwatch.exe with its own built-in host, for a station with no UI-View32: the feed named on
// the command line (or in the settings) watched as the Linux program watches it.
#pragma once

#include "app/CommandLine.h"

namespace winhost {

// True when the command line asks for the built-in host: a feed, or --host for the feed in the
// settings. Without one the program is the add-on beside UI-View32.
bool WantsBuiltinHost(const app::CommandLine& options);

// Runs the watch until it ends; gives the exit code. `closeMessage`, posted to this thread,
// closes it as its window would.
int RunBuiltinHost(const app::CommandLine& options, unsigned closeMessage);

}  // namespace winhost
