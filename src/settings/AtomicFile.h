// Files the program writes are replaced whole: written to a temporary file beside the old one
// and renamed over it, so a crash or a full disk never leaves half a file.
#pragma once

#include <string>
#include <string_view>
#include <system_error>

namespace settings {

// Replaces (or creates) the file with the content. A file marked read-only is not replaced.
// A new file is its owner's alone (0600); a replaced one keeps its permissions.
// On failure returns false with the reason in `error`; the old file is then left as it was.
bool ReplaceFileContent(const std::string& file, std::string_view content, std::error_code& error);

}  // namespace settings
