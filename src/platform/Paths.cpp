// The rule that places the program's files, beside the executable or as an installed program.
#include "platform/Paths.h"

namespace platform {
namespace {

std::string XdgFolder(const std::string& variable, const std::string& home, const char* fallback) {
    if (!variable.empty() && variable.front() == '/') return variable;
    return home + fallback;
}

// "/usr/bin" -> "/usr": the executable's folder's parent.
std::string Parent(std::string folder) {
    while (folder.size() > 1 && folder.back() == kPathSeparator) folder.pop_back();
    const auto cut = folder.find_last_of(kPathSeparator);
    if (cut == std::string::npos) return ".";
    return cut == 0 ? std::string(1, kPathSeparator) : folder.substr(0, cut);
}

std::string WithoutTrailing(std::string folder) {
    while (folder.size() > 1 && folder.back() == kPathSeparator) folder.pop_back();
    return folder;
}

}  // namespace

FileLayout ChooseLayout(const LayoutInputs& in) {
    const std::string configHome = XdgFolder(in.xdgConfigHome, in.home, "/.config");
    const std::string dataHome = XdgFolder(in.xdgDataHome, in.home, "/.local/share");
    FileLayout layout;
    if (in.exeFolderWritable && in.shippedFilesBeside) {
        layout.shared = layout.settings = in.exeFolder;
        layout.hostFolder = JoinPath(JoinPath(dataHome, "sirenwatch"), "host");
        layout.userStore = configHome;
        layout.data = JoinPath(dataHome, "sirenwatch");
        layout.testLog = in.exeFolder;
        return layout;
    }
    layout.installed = true;
    const std::string parent = Parent(in.exeFolder);
    layout.shared = JoinPath(JoinPath(parent == "/" ? "" : parent, "share"), "sirenwatch");
    layout.settings = in.configurationDirectory.empty()
                          ? JoinPath(configHome, "sirenwatch")
                          : WithoutTrailing(in.configurationDirectory);
    layout.hostFolder = JoinPath(layout.settings, "host");
    layout.data = in.stateDirectory.empty() ? JoinPath(dataHome, "sirenwatch")
                                            : WithoutTrailing(in.stateDirectory);
    layout.testLog = layout.data;
    // Which host folder is registered is the program's own record, not a setting: it goes
    // where the program may always write, even when the settings are read only.
    layout.userStore = layout.data;
    return layout;
}

}  // namespace platform
