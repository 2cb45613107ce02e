// INI files read and written the way the Windows profile-string calls do: section and key
// names match without regard to case, a write keeps every other line as it stood.
#pragma once

#include <string>

namespace settings {

// The value, or the empty text when the file, section or key does not exist. Blanks around
// the value are trimmed; a value in double or single quotes comes back without them. Keys
// above the first section header belong to the section "". At most bufferSize - 1
// characters are returned.
std::string ReadProfileString(const std::string& file, const std::string& section,
                              const std::string& key, int bufferSize = 255);

// Creates file, section and key as needed and replaces a value in place; the section ""
// cannot be written. The file is written
// whole to a temporary file beside it and renamed over the old one. Returns false when the
// file could not be written; the old file is then left as it was.
bool WriteProfileString(const std::string& file, const std::string& section, const std::string& key,
                        const std::string& value);

}  // namespace settings
