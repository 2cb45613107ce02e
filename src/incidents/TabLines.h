// Headless standard output: one tab-separated line for every emergency, with the panel's
// eleven values, one for every start and acknowledgement of the alarm, and the feed's.
//
//   EMERGENCY <call> <message> <beacon> <time> <distance> <course> <speed> <lat> <long>
//             <bearing> <altitude>            (tab-separated, one line)
//   ALARM on | ALARM off
//   FEED silent <seconds> <feed> | FEED back
#pragma once

#include <ostream>

#include "incidents/Events.h"

namespace incidents {

// Tabs and line breaks in air text become blanks; control bytes and bytes that are not UTF-8
// are written as \xNN (see platform::PrintableText).
Stream::Sink TabLinePrinter(std::ostream& out);

}  // namespace incidents
