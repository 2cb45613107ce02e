// Telling the user, once, that a call to the station program failed. Every handler that talks
// to the host catches at its entry and reports here, so no failure reaches the event loop.
#pragma once

#include <exception>
#include <string>

#include "platform/Ports.h"

namespace host {

// The message for a failure: what went wrong, in the language of codiceLingua.
std::string HostFailureText(int codiceLingua, const std::string& what);

// One exclamation box naming the failure.
void ReportHostFailure(platform::Dialogs& dialogs, int codiceLingua, const std::string& what);

// Runs work; a failure of any kind is reported once and swallowed. Returns false on failure.
template <typename Work>
bool GuardHostCall(platform::Dialogs& dialogs, int codiceLingua, Work&& work) {
    try {
        work();
        return true;
    } catch (const std::exception& e) {
        ReportHostFailure(dialogs, codiceLingua, e.what());
    } catch (...) {
        ReportHostFailure(dialogs, codiceLingua, "?");
    }
    return false;
}

}  // namespace host
