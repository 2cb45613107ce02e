// First-run set-up of the built-in host: its install folder with a settings file, and the
// per-user entry through which the add-on finds that folder.
#pragma once

#include <functional>
#include <string>

namespace builtin_host {

// The home station the default settings file gives: our demo traffic is heard around it.
inline constexpr char kDefaultCallsign[] = "N0CALL";
inline constexpr char kDefaultLatitude[] = "4530.25N";
inline constexpr char kDefaultLongitude[] = "00912.34E";

struct SetupResult {
    std::string folder;  // the registered host folder, with a trailing separator
    bool createdFolder = false;
    bool wroteSettings = false;  // a default settings file was written
    bool registered = false;     // the per-user entry was written or mended
    std::string error;           // empty when the host is ready to be used
};

// The host folder under a data folder: "<dataHome>/sirenwatch/host/".
std::string DefaultHostFolder(const std::string& dataHome);

// Makes sure the add-on will find a host: when the per-user store (kept in storeFolder) has
// no host folder, our own folder `ourFolder` is created with a settings file, and registered;
// `writeMore` then adds what else the new file is to hold (the watch's own settings) and says
// whether it could. A folder that is already registered is left alone,
// except that our own default folder gets its settings file back when it was deleted and a
// registered folder lacking its trailing separator gets one. Running it again changes
// nothing.
SetupResult EnsureHostSetup(const std::string& storeFolder, const std::string& ourFolder,
                            const std::function<bool(const std::string& folder)>& writeMore);

}  // namespace builtin_host
