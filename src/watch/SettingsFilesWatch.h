// Tells when a settings file has been written while the watch runs, once the writing has
// settled: where there is no SIGHUP to ask for it (Windows), saving the file is the request to
// read the settings again.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/Timers.h"

namespace watch {

class SettingsFilesWatch {
public:
    // Looks at the files every `interval_ms`; `onWritten` runs when one of them changed since
    // the last reading and then stayed as it was for one more look, so a file being saved in
    // several steps is read once, whole.
    SettingsFilesWatch(platform::Timers& timers, std::vector<std::string> files,
                       std::function<void()> onWritten, int interval_ms = 1000);

private:
    // What the file system says of each file: when it was last written and how long it is.
    struct Stamp {
        std::int64_t written = -1;
        std::int64_t size = -1;
        bool operator==(const Stamp&) const = default;
    };
    std::vector<Stamp> Look() const;
    void Tick();

    std::vector<std::string> files_;
    std::function<void()> onWritten_;
    std::vector<Stamp> read_;     // as they were when last read
    std::vector<Stamp> pending_;  // a change seen, waiting to settle
    platform::RepeatingTimer timer_;
};

}  // namespace watch
