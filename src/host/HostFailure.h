// Telling the user that a call to the station program failed. Every handler that talks to the
// host catches at its entry and reports here, so no failure reaches the event loop. The report
// is a notice that does not wait for the user: frames keep coming in while it is on screen.
#pragma once

#include <exception>
#include <optional>
#include <string>

#include "platform/Ports.h"

namespace host {

// The message for a failure: what went wrong, in the language of codiceLingua.
std::string HostFailureText(int codiceLingua, const std::string& what);

// The message when the host's objects cannot be created: it is not there to talk to.
std::string HostUnavailableText(int codiceLingua, const std::string& what);

// One notice naming the failure.
void ReportHostFailure(platform::Dialogs& dialogs, int codiceLingua, const std::string& what);

// Runs work and tells what went wrong, or nothing when it went well. Nothing escapes.
template <typename Work>
std::optional<std::string> TryHostCall(Work&& work) {
    try {
        work();
        return std::nullopt;
    } catch (const std::exception& e) {
        return std::string(e.what());
    } catch (...) {
        return std::string("?");
    }
}

// Runs work; a failure of any kind is reported once and swallowed. Returns false on failure.
template <typename Work>
bool GuardHostCall(platform::Dialogs& dialogs, int codiceLingua, Work&& work) {
    const std::optional<std::string> failure = TryHostCall(work);
    if (failure) ReportHostFailure(dialogs, codiceLingua, *failure);
    return !failure;
}

}  // namespace host
