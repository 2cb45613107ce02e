// The per-user settings store kept as INI files, one per application, in a folder of the
// user's own (the XDG config folder on Linux): "<folder>/<application>.ini".
#pragma once

#include <string>

#include "platform/Ports.h"

namespace settings {

class IniUserStore final : public platform::UserStore {
public:
    explicit IniUserStore(std::string folder) : folder_(std::move(folder)) {}

    // The key of a section of the application's file; empty when any part is missing.
    std::string Get(const std::string& application, const std::string& section,
                    const std::string& key) override;
    // Stores the value, creating the folder and the file as needed; false when it could not.
    bool Set(const std::string& application, const std::string& section, const std::string& key,
             const std::string& value);

    // The file an application's entries live in.
    std::string FileOf(const std::string& application) const;

private:
    std::string folder_;
};

}  // namespace settings
