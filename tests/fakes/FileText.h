// Whole-file reads and writes for tests that compare files byte for byte.
#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace fakes {

inline std::string ReadAll(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void WriteAll(const std::string& file, const std::string& content) {
    std::ofstream(file, std::ios::binary | std::ios::trunc) << content;
}

// True when folder permissions do not stop this process from writing (running as root).
inline bool PermissionsAreIgnored(const std::string& folder) {
    namespace fs = std::filesystem;
    const fs::path probe = fs::path(folder) / "probe";
    fs::create_directories(probe);
    fs::permissions(probe, fs::perms::owner_read | fs::perms::owner_exec);
    const bool ignored = static_cast<bool>(std::ofstream(probe / "x"));
    fs::permissions(probe, fs::perms::owner_all);
    fs::remove_all(probe);
    return ignored;
}

}  // namespace fakes
