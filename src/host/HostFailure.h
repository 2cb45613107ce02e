// Telling the user that a call to the station program failed. Every handler that talks to the
// host catches at its entry and reports here, so no failure reaches the event loop. The report
// is a notice that does not wait for the user: frames keep coming in while it is on screen.
#pragma once

#include <exception>
#include <optional>
#include <string>

#include "platform/Ports.h"
#include "platform/Result.h"

namespace host {

// The message for a failure: what went wrong, in the language of codiceLingua.
std::string HostFailureText(int codiceLingua, const std::string& what);

// The message when the host's objects cannot be created: it is not there to talk to.
std::string HostUnavailableText(int codiceLingua, const std::string& what);

// One notice naming the failure.
void ReportHostFailure(platform::Dialogs& dialogs, int codiceLingua, const std::string& what);

// Runs work; a problem that tells what went wrong when it did not go well. Nothing escapes.
template <typename Work>
platform::Result<void> TryHostCall(Work&& work) {
    try {
        work();
        return {};
    } catch (const std::exception& e) {
        return platform::Fail(e.what());
    } catch (...) {
        return platform::Fail("?");
    }
}

// Runs work; a failure of any kind is reported once and swallowed. Returns false on failure.
template <typename Work>
bool GuardHostCall(platform::Dialogs& dialogs, int codiceLingua, Work&& work) {
    const platform::Result<void> call = TryHostCall(work);
    if (!call) ReportHostFailure(dialogs, codiceLingua, call.error().text);
    return call.has_value();
}

}  // namespace host
