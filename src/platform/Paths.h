// Joining a folder and a file name the way the running system spells paths, and the rule that
// says where the program's files are.
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

// What the layout rule looks at: the executable's folder, and the environment's folders.
struct LayoutInputs {
    std::string exeFolder;
    bool exeFolderWritable = false;
    bool shippedFilesBeside = false;     // the demo capture lies beside the executable
    std::string home;                    // $HOME
    std::string xdgConfigHome;           // $XDG_CONFIG_HOME, used when absolute
    std::string xdgDataHome;             // $XDG_DATA_HOME, used when absolute
    std::string configurationDirectory;  // $CONFIGURATION_DIRECTORY, set by a system service
    std::string stateDirectory;          // $STATE_DIRECTORY, set by a system service
};

// Where each kind of file lives. No folder has a trailing separator.
struct FileLayout {
    bool installed = false;
    std::string shared;      // what ships, read only: demo, base map, sound, help, icon
    std::string settings;    // Sirenwatch.ini (and, in test mode, the day's frame log)
    std::string hostFolder;  // the built-in host's folder with its settings file
    std::string userStore;   // the per-user store's file "Peak Systems.ini"
    std::string data;        // what the program keeps: the incident log under it
    std::string testLog;     // the day's frame log of test mode
};

// Beside: an executable in a folder it can write to, with the demo capture next to it (the
// build folder, an unpacked zip) keeps everything of its own there, the test mode's day log
// included, and the host's folder and the per-user store in the user's XDG folders as ever.
// Installed: the shipped files in <exe>/../share/sirenwatch, the settings (the host's
// included) in $XDG_CONFIG_HOME/sirenwatch or the service's $CONFIGURATION_DIRECTORY, and the
// rest, the test mode's day log included, in $XDG_DATA_HOME/sirenwatch or the service's
// $STATE_DIRECTORY.
FileLayout ChooseLayout(const LayoutInputs& in);

// A path held as UTF-8 text, as the file system takes it. Every file is opened through this:
// on Windows it gives the wide path, where a narrow one would be read in the ANSI code page
// and a folder such as "Stazione Però" would not be found.
inline std::filesystem::path FilePath(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

}  // namespace platform
