// Joining a folder and a file name the way the running system spells paths.
#pragma once

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

}  // namespace platform
