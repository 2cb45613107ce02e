// An incident as the net has it, derived alike at every watcher: one station's changes, from
// whichever watchers and in whatever order they came, replayed in the net's one order through
// the incident book's own rules.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "incidents/IncidentBook.h"
#include "net_book/NetMessages.h"

namespace net_book {

// A receive site that heard the station's emergency: evidence of the incident.
struct Site {
    std::string watcher;
    std::int64_t firstHeard_s = 0;
    incidents::EvidenceGrade grade = incidents::EvidenceGrade::None;
};

// One change at its place in the order: applied, or refused by the rules there (kept, with no
// effect, so every watcher shows the same refusal).
struct Entry {
    NetChange change;
    bool applied = false;
    std::string refusal;
};

struct NetIncident {
    NetKey key;                    // the opening that won
    std::vector<NetKey> merged;    // openings for the station made while this one was open
    incidents::Incident incident;  // state, handler, grade, history; id is the watcher's own
    std::vector<Site> sites;
    std::vector<Entry> log;  // in the net's order

    bool Holds(const NetKey& other) const;
};

// One station's incidents, oldest first, from all the changes known for it in any order. An
// opening made while another incident of the station is open joins that one (the earliest
// opening in the order wins); a change sorts no earlier than its incident's opening (clocks of
// watchers differ a little); changes of keys never opened are left out.
std::vector<NetIncident> Replay(std::vector<const NetChange*> changes);

}  // namespace net_book
