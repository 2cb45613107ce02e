// Joining a folder and a file name the way the running system spells paths.
#pragma once

#include <filesystem>
#include <string>

namespace platform {

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// The folder, one separator, the name ("C:\Prog" + "Sirenwatch.ini" -> "C:\Prog\Sirenwatch.ini").
inline std::string JoinPath(const std::string& folder, const std::string& name) {
    return folder + kPathSeparator + name;
}

// A path held as UTF-8 text, as the file system takes it. Every file is opened through this:
// on Windows it gives the wide path, where a narrow one would be read in the ANSI code page
// and a folder such as "Stazione Però" would not be found.
inline std::filesystem::path FilePath(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

}  // namespace platform
