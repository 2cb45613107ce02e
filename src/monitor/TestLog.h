// The test-mode log: every handled frame appended as one line ending in CR LF.
#pragma once

#include <fstream>
#include <string>

namespace monitor {

class TestLog {
public:
    // Opens path for appending (creating it and its folder); false when it cannot be opened.
    bool Open(const std::string& path);
    // Writes text and CR LF, flushed at once so a crash loses no line. No-op when closed.
    void WriteLine(const std::string& text);
    void Close();

private:
    std::ofstream file_;
};

}  // namespace monitor
