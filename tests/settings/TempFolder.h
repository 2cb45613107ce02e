// A fresh folder under the system's temporary folder for one test, removed afterwards.
#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

namespace settings_test {

class TempFolder {
public:
    TempFolder() {
        std::random_device rd;
        path_ = std::filesystem::temp_directory_path() /
                ("sirenwatch-settings-" + std::to_string(rd()) + std::to_string(rd()));
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::string File(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

inline std::string ReadAll(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void WriteAll(const std::string& file, const std::string& content) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << content;
}

// True when permissions do not stop this process from writing (running as root).
inline bool PermissionsAreIgnored(const TempFolder& folder) {
    namespace fs = std::filesystem;
    fs::path probeDir = folder.Path() / "probe";
    fs::create_directories(probeDir);
    fs::permissions(probeDir, fs::perms::owner_read | fs::perms::owner_exec);
    bool ignored = static_cast<bool>(std::ofstream(probeDir / "x"));
    fs::permissions(probeDir, fs::perms::owner_all);
    fs::remove_all(probeDir);
    return ignored;
}

}  // namespace settings_test
