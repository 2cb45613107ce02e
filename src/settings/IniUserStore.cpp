// Per-user entries as INI files: the same layer as the settings file, without its 254
// character limit, since stored folders can be long.
#include "settings/IniUserStore.h"

#include <filesystem>
#include <system_error>

#include "platform/Paths.h"
#include "settings/ProfileFile.h"

namespace settings {

namespace {

constexpr int kLongValue = 32768;

// An application name is a file name here: path separators would lead out of the folder.
bool UsableName(const std::string& application) {
    return !application.empty() && application != "." && application != ".." &&
           application.find_first_of("/\\") == std::string::npos;
}

}  // namespace

std::string IniUserStore::FileOf(const std::string& application) const {
    return platform::JoinPath(folder_, application + ".ini");
}

std::string IniUserStore::Get(const std::string& application, const std::string& section,
                              const std::string& key) {
    if (!UsableName(application)) return {};
    return ReadProfileString(FileOf(application), section, key, kLongValue);
}

bool IniUserStore::Set(const std::string& application, const std::string& section,
                       const std::string& key, const std::string& value) {
    if (!UsableName(application) || folder_.empty()) return false;
    std::error_code ec;
    std::filesystem::create_directories(folder_, ec);
    if (ec) return false;
    return WriteProfileString(FileOf(application), section, key, value);
}

}  // namespace settings
