// Printing events as tab-separated lines.
#include "incidents/TabLines.h"

#include <sstream>
#include <string>

#include "platform/Log.h"
#include "platform/PrintableText.h"

namespace incidents {
namespace {

// Air text as one field: its tabs and line breaks become blanks, and what a terminal or the
// journal would act on (ESC, BEL, bytes that are not UTF-8) is shown escaped.
std::string OneField(std::string text) {
    for (char& c : text) {
        if (c == '\t' || c == '\r' || c == '\n') c = ' ';
    }
    return platform::PrintableText(text);
}

struct Printer {
    std::ostream& out;

    void operator()(const Emergency& e) const {
        std::string line = "EMERGENCY";
        for (const std::string& text : e.panel.text) line += '\t' + OneField(text);
        out << line << std::endl;
    }
    void operator()(const AlarmOn&) const { out << "ALARM\ton" << std::endl; }
    void operator()(const Acknowledged&) const { out << "ALARM\toff" << std::endl; }
    void operator()(const FeedSilent& f) const {
        out << "FEED\tsilent\t" << f.silent_s << '\t' << OneField(f.feed) << std::endl;
    }
    void operator()(const FeedBack&) const { out << "FEED\tback" << std::endl; }
    void operator()(const FeedDown& f) const {
        out << "FEED\tdown\t" << OneField(f.reason) << '\t' << f.feed << std::endl;
    }
    void operator()(const FeedUp&) const { out << "FEED\tup" << std::endl; }
    void operator()(const Position&) const {}  // for the log only
    void operator()(const IncidentChange&) const {}
    void operator()(const WatchStopped&) const {}
    void operator()(const WatchStarted&) const {}
};

}  // namespace

Stream::Sink TabLinePrinter(std::ostream& out) {
    return [&out](const Event& event) {
        std::ostringstream line;
        std::visit(Printer{line}, event.what);
        if (line.view().empty()) return;  // an event for the log only
        out << platform::LinePrefix(LevelOf(event.what)) << line.view() << std::flush;
    };
}

}  // namespace incidents
