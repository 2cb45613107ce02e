// The incident log read back as the journal of the incident book, so that a watch started again
// takes up the incidents where the last one left them: a checkpoint of the book, written whole,
// and the log's lines written after it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "incidents/IncidentBook.h"
#include "platform/Result.h"

namespace incidents {

// What a start found of the watch before.
struct TakenUp {
    std::size_t incidents = 0;  // taken up into the book, closed ones too
    std::size_t open = 0;       // not closed
    std::size_t unsounded = 0;  // new and not held back: nobody acknowledged them yet
    // When the watch before was last known to run: its last line or checkpoint. Nothing when
    // nothing was kept: a first start.
    std::optional<std::int64_t> lastAlive_s;
    bool stoppedCleanly = true;         // the watch before ended through its close path
    std::size_t linesRead = 0;          // journal lines read after the checkpoint
    std::vector<std::string> problems;  // lines or a checkpoint that could not be read, in words
};

// The book kept beside the incident log, in the log's folder. One folder, one book: a replay
// logs to a folder of its own and so never touches the operator's.
class IncidentJournal {
public:
    static constexpr char kCheckpointName[] = "incident-book.json";

    explicit IncidentJournal(std::string folder) : folder_(std::move(folder)) {}

    // Fills an empty book from the checkpoint and the lines of the log after it (all the day
    // files kept when there is no checkpoint). A line cut short by a crash, or one that cannot
    // be read, is left out and told in `problems`, never a reason not to start.
    TakenUp Restore(IncidentBook& book);

    // Writes the book and how far the log's files go, to a temporary file that is flushed to
    // the disk and renamed over the old checkpoint, so a crash leaves the old or the new one
    // whole. `stoppedCleanly` is said when the watch ends through its close path. A problem
    // when it cannot be written.
    platform::Result<void> Save(const IncidentBook& book, std::int64_t now_s, bool stoppedCleanly);
    // The watch still runs and the book has not changed since it was saved: the checkpoint's
    // time alone moves on, so a watch killed later is known to have run until then.
    void StillRunning(std::int64_t now_s);

    const std::string& Folder() const { return folder_; }

private:
    std::string folder_;
    std::map<std::string, std::int64_t> synced_;  // how far each day file was flushed to the disk
};

}  // namespace incidents
