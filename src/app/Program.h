// The running program: the built-in host and its feed, the add-on with its windows (or its
// headless report), put together once Qt is up.
#pragma once

#include <string>

#include "app/CommandLine.h"

namespace app {

// "1.1.1".
std::string VersionText();

// True when there is no display to open windows on.
bool NoDisplay();

// Runs until the program ends; gives the exit code. A QApplication must exist.
int RunProgram(const CommandLine& options, bool headless);

}  // namespace app
