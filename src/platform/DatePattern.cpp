// Reading a system's short-date pattern.
#include "platform/DatePattern.h"

#include <algorithm>

namespace platform {

namespace {

bool IsTokenLetter(char c) {
    return c == 'd' || c == 'M' || c == 'y';
}

// ASCII letters, and every byte of a UTF-8 sequence (letters of other scripts).
bool IsLetter(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 0x80 || static_cast<unsigned>((byte | 0x20) - 'a') < 26u;
}

bool IsSeparator(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x80 && !IsLetter(c) && (c < '0' || c > '9');
}

// One run of a pattern letter in the core's tokens; day names are dropped.
std::string DateToken(char letter, std::size_t count) {
    if (letter == 'd') return count <= 2 ? std::string(count, 'd') : std::string();
    if (letter == 'M') return count == 1 ? "M" : "MM";
    return count == 2 ? "yy" : "yyyy";
}

// Separators left at either end by a dropped day name (", ") go.
std::string TrimSeparators(std::string s) {
    while (!s.empty() && IsSeparator(s.front())) s.erase(s.begin());
    while (!s.empty() && IsSeparator(s.back())) s.pop_back();
    return s;
}

}  // namespace

std::string ShortDatePattern(std::string_view pattern) {
    std::string out;
    for (std::size_t i = 0; i < pattern.size();) {
        const char c = pattern[i];
        if (c == '\'') {
            std::size_t end = pattern.find('\'', i + 1);
            if (end == std::string_view::npos) end = pattern.size();
            const std::string_view literal = pattern.substr(i + 1, end - i - 1);
            if (std::none_of(literal.begin(), literal.end(), IsTokenLetter)) out += literal;
            i = end + 1;
        } else if (IsTokenLetter(c)) {
            std::size_t run = 1;
            while (i + run < pattern.size() && pattern[i + run] == c) ++run;
            out += DateToken(c, run);
            i += run;
        } else {
            if (!IsLetter(c)) out += c;  // other letters: eras, week days...
            ++i;
        }
    }
    out = TrimSeparators(out);
    const bool complete = out.find('d') != std::string::npos &&
                          out.find('M') != std::string::npos && out.find('y') != std::string::npos;
    return complete ? out : std::string("dd/MM/yyyy");
}

}  // namespace platform
