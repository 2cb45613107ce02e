// A small modal window that asks the operator for text (a name on one line, a note on several):
// Win32 has no input box, so it is built in code. Its parts are named for the test tools:
// "Ask" (the window), "AskLabel", "AskText", "AskOk", "AskCancel".
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "dashboard/IncidentDesk.h"

namespace win32_host {

// Shows the question over the owner, which is disabled until it is answered. The text typed
// (line ends as "\n"), or nullopt when cancelled or closed.
std::optional<std::string> AskText(HWND owner, const dashboard::Question& question, bool english);

}  // namespace win32_host
