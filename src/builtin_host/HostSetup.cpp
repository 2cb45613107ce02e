// Creating and registering the built-in host's folder so a first run passes the add-on's
// start-up checks.
#include "builtin_host/HostSetup.h"

#include <filesystem>
#include <system_error>

#include "builtin_host/HostSettings.h"
#include "host/HostPorts.h"
#include "platform/Paths.h"
#include "settings/IniUserStore.h"

namespace builtin_host {
namespace fs = std::filesystem;
namespace {

bool EndsWithSeparator(const std::string& folder) {
    return !folder.empty() && (folder.back() == '/' || folder.back() == platform::kPathSeparator);
}

std::string WithSeparator(std::string folder) {
    if (!EndsWithSeparator(folder)) folder += platform::kPathSeparator;
    return folder;
}

bool SameFolder(const std::string& a, const std::string& b) {
    std::error_code ec;
    const fs::path first = platform::FilePath(a), second = platform::FilePath(b);
    if (fs::equivalent(first, second, ec)) return true;
    return first.lexically_normal() == second.lexically_normal();
}

HostSettings DefaultSettings() {
    HostSettings s;
    s.callsign = kDefaultCallsign;
    s.latitudeText = kDefaultLatitude;
    s.longitudeText = kDefaultLongitude;
    s.programVersion = host::kLowestVersionText;
    return s;
}

// Creates the folder and a default settings file in it where they are missing.
void Provide(const std::string& folder, const std::function<bool(const std::string&)>& writeMore,
             SetupResult& result) {
    std::error_code ec;
    if (!fs::is_directory(platform::FilePath(folder), ec)) {
        result.createdFolder = fs::create_directories(platform::FilePath(folder), ec);
        if (ec) {
            result.error = "Cannot create the host folder " + folder + ": " + ec.message();
            return;
        }
    }
    if (fs::exists(platform::FilePath(HostIniPath(folder)), ec)) return;
    if (!SaveHostSettings(folder, DefaultSettings()) || (writeMore && !writeMore(folder))) {
        result.error = "Cannot write " + HostIniPath(folder);
        return;
    }
    result.wroteSettings = true;
}

void Register(settings::IniUserStore& store, const std::string& folder, SetupResult& result) {
    if (!store.Set(host::kStoreApplication, host::kStoreSection, host::kStoreKey, folder)) {
        result.error = "Cannot write " + store.FileOf(host::kStoreApplication);
        return;
    }
    result.registered = true;
}

}  // namespace

std::string DefaultHostFolder(const std::string& dataHome) {
    return WithSeparator(platform::JoinPath(platform::JoinPath(dataHome, "sirenwatch"), "host"));
}

SetupResult EnsureHostSetup(const std::string& storeFolder, const std::string& ourFolder,
                            const std::function<bool(const std::string& folder)>& writeMore) {
    settings::IniUserStore store(storeFolder);
    const std::string ours = WithSeparator(ourFolder);
    const std::string registered =
        store.Get(host::kStoreApplication, host::kStoreSection, host::kStoreKey);
    SetupResult result;
    std::error_code ec;

    if (registered.empty()) {
        result.folder = ours;
        Provide(ours, writeMore, result);
        if (result.error.empty()) Register(store, ours, result);
        return result;
    }

    result.folder = WithSeparator(registered);
    if (SameFolder(result.folder, ours)) Provide(ours, writeMore, result);
    if (!result.error.empty()) return result;
    if (!fs::exists(platform::FilePath(HostIniPath(result.folder)), ec)) {
        result.error =
            "The registered host folder " + registered + " has no " + host::kSettingsFileName;
        return result;
    }
    if (registered != result.folder) Register(store, result.folder, result);
    return result;
}

}  // namespace builtin_host
