// The test-mode frame log.
#include "monitor/TestLog.h"

#include <filesystem>
#include <system_error>

#include "platform/Paths.h"

namespace monitor {

bool TestLog::Open(const std::string& path) {
    Close();
    // The folder may not exist yet on a first run (an installed program's data folder).
    const std::filesystem::path file = platform::FilePath(path);
    std::error_code ignored;
    if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path(), ignored);
    file_.open(file, std::ios::out | std::ios::app | std::ios::binary);
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
