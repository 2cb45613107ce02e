// Test-parameter text for ctest names: letters, digits and "-" only, so frames full of
// ";", "#" and quotes cannot upset the test list, and short enough to read.
#pragma once

#include <cctype>
#include <ostream>
#include <string_view>

inline void PrintSafe(std::string_view text, std::ostream* os) {
    for (char c : text.substr(0, 40))
        *os << (std::isalnum(static_cast<unsigned char>(c)) || c == '-' ? c : '_');
}
