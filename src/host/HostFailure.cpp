// Reporting a failed call to the station program.
#include "host/HostFailure.h"

namespace host {

std::string HostFailureText(int codiceLingua, const std::string& what) {
    if (codiceLingua == 1000) return "Errore nella comunicazione con UI-View32:\n" + what;
    return "Error while talking to UI-View32:\n" + what;
}

std::string HostUnavailableText(int codiceLingua, const std::string& what) {
    if (codiceLingua == 1000)
        return "UI-View32 non risponde: non e' in esecuzione o non e' registrato.\n" + what;
    return "UI-View32 does not answer: it is not running or not registered.\n" + what;
}

void ReportHostFailure(platform::Dialogs& dialogs, int codiceLingua, const std::string& what) {
    dialogs.Notice(HostFailureText(codiceLingua, what), platform::Icon::Exclamation);
}

}  // namespace host
