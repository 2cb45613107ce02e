// The test-mode frame log.
#include "monitor/TestLog.h"

#include "platform/Paths.h"

namespace monitor {

bool TestLog::Open(const std::string& path) {
    Close();
    file_.open(platform::FilePath(path), std::ios::out | std::ios::app | std::ios::binary);
    return file_.is_open();
}

void TestLog::WriteLine(const std::string& text) {
    if (!file_.is_open()) return;
    file_ << text << "\r\n";
    file_.flush();
}

void TestLog::Close() {
    if (file_.is_open()) file_.close();
    file_.clear();
}

}  // namespace monitor
