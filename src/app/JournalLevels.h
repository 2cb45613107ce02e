// Under a service manager that reads our output into the journal (JOURNAL_STREAM is set),
// every line gets the "<N>" priority prefix the journal reads (syslog levels: 2 critical,
// 4 warning, 6 informational), so an emergency stands out from the chatter.
#pragma once

#include <iosfwd>
#include <memory>
#include <string_view>

namespace app {

// The priority of one line of our output: an emergency or an alarm going on is critical, a
// silent feed a warning; other standard error lines are warnings except the feed's status.
int JournalLevel(std::string_view line, bool errorStream);

// Prefixes the lines of std::cout and std::cerr while it lives, when JOURNAL_STREAM is set.
class JournalLevels {
public:
    JournalLevels();
    ~JournalLevels();
    JournalLevels(const JournalLevels&) = delete;
    JournalLevels& operator=(const JournalLevels&) = delete;

private:
    class Prefixer;
    std::unique_ptr<Prefixer> out_, err_;
};

}  // namespace app
