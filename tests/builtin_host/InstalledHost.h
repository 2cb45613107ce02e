// The built-in host installed in a folder of its own, with a home station, and registered
// where the add-on looks for it: the world every test of a first run or a start-up needs.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "builtin_host/HostSettings.h"

namespace builtin_host {

// The folder is registered in the per-user store exactly as given; gives the host's settings.
template <typename Store>
HostSettings InstallHost(Store& store, const std::string& folder,
                         const std::string& callsign = "N0CALL") {
    std::filesystem::create_directories(folder);
    HostSettings hs;
    hs.callsign = callsign;
    hs.latitudeText = "4530.25N";
    hs.longitudeText = "00912.34E";
    EXPECT_TRUE(SaveHostSettings(folder, hs));
    store.Set("Peak Systems", "UI-View32", "Program Folder", folder);
    return hs;
}

}  // namespace builtin_host
