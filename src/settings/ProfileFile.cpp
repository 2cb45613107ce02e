// INI files read and written line by line, keeping every line the program does not change.
// New files get the running system's line end (CR LF on Windows, LF elsewhere); an existing
// file keeps the line end it was found with, and both are accepted when reading.
#include "settings/ProfileFile.h"

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string_view>
#include <system_error>
#include <vector>

#include "platform/Paths.h"
#include "settings/AtomicFile.h"

namespace settings {

namespace {

namespace fs = std::filesystem;

#ifdef _WIN32
constexpr std::string_view kNewFileLineEnd = "\r\n";
#else
constexpr std::string_view kNewFileLineEnd = "\n";
#endif
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// One line of the file: its text without the line end, and the line end as found.
struct Line {
    std::string text;
    std::string end;
};

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    return true;
}

std::vector<Line> SplitLines(const std::string& content) {
    std::vector<Line> lines;
    size_t start = 0;
    while (start < content.size()) {
        size_t lf = content.find('\n', start);
        if (lf == std::string::npos) {
            lines.push_back({content.substr(start), ""});
            break;
        }
        bool crlf = lf > start && content[lf - 1] == '\r';
        size_t textEnd = crlf ? lf - 1 : lf;
        lines.push_back({content.substr(start, textEnd - start), crlf ? "\r\n" : "\n"});
        start = lf + 1;
    }
    return lines;
}

// The text of a line as the parser sees it: without a byte-order mark on the first line.
std::string_view ParsedText(const std::vector<Line>& lines, size_t i) {
    std::string_view text = lines[i].text;
    if (i == 0 && text.starts_with(kUtf8Bom)) text.remove_prefix(kUtf8Bom.size());
    return text;
}

// The section name of a header line "[name]", or nothing for any other line. The name runs
// to the last "]" of the line, so "[S]]" is the section "S]".
std::optional<std::string_view> SectionName(std::string_view text) {
    text = Trim(text);
    if (!text.starts_with('[')) return std::nullopt;
    size_t close = text.rfind(']');
    if (close == std::string_view::npos) return std::nullopt;
    return Trim(text.substr(1, close - 1));
}

// Only ";" starts a comment; "#x=1" is the key "#x", as Windows reads it.
bool IsComment(std::string_view text) {
    return Trim(text).starts_with(';');
}

// The key of a "key=value" line, or nothing for comments and lines without "=".
std::optional<std::string_view> KeyName(std::string_view text) {
    if (IsComment(text)) return std::nullopt;
    size_t eq = text.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    return Trim(text.substr(0, eq));
}

// Where a section's lines sit in the file: the first line after its header and one past
// its last line.
struct SectionRange {
    size_t begin = 0;
    size_t end = 0;
};

size_t SectionEnd(const std::vector<Line>& lines, size_t begin) {
    size_t end = begin;
    while (end < lines.size() && !SectionName(ParsedText(lines, end))) ++end;
    return end;
}

// Lines above the first header form the section named "", which always exists and so is
// the one found for that name even when a "[]" header follows.
std::optional<SectionRange> FindSection(const std::vector<Line>& lines, std::string_view name) {
    if (name.empty()) return SectionRange{0, SectionEnd(lines, 0)};
    for (size_t i = 0; i < lines.size(); ++i) {
        auto found = SectionName(ParsedText(lines, i));
        if (found && SameName(*found, name)) return SectionRange{i + 1, SectionEnd(lines, i + 1)};
    }
    return std::nullopt;
}

std::optional<size_t> FindKey(const std::vector<Line>& lines, const SectionRange& section,
                              std::string_view key) {
    for (size_t i = section.begin; i < section.end; ++i) {
        auto found = KeyName(ParsedText(lines, i));
        if (found && SameName(*found, key)) return i;
    }
    return std::nullopt;
}

std::optional<std::string> ReadWholeFile(const std::string& file) {
    std::ifstream in(platform::FilePath(file), std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream content;
    content << in.rdbuf();
    if (in.bad()) return std::nullopt;
    return std::move(content).str();
}

// Cuts a UTF-8 text to at most maxChars characters, never inside a character.
std::string CutToCharacters(std::string_view text, int maxChars) {
    size_t pos = 0;
    for (int count = 0; pos < text.size() && count < maxChars; ++count) {
        ++pos;
        while (pos < text.size() && (static_cast<unsigned char>(text[pos]) & 0xC0) == 0x80) ++pos;
    }
    return std::string(text.substr(0, pos));
}

// One pair of matching quotes, double or single, around the whole value is not part of it.
std::string_view Unquoted(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

// A value that would lose blanks or quotes on reading back is stored inside double quotes;
// reading takes off only that pair, so 'x' is stored as "'x'" and comes back as 'x'.
std::string StoredValue(const std::string& value) {
    bool loses = Trim(value).size() != value.size() || Unquoted(value).size() != value.size();
    return loses ? '"' + value + '"' : value;
}

bool HasLineBreak(std::string_view s) {
    return s.find_first_of("\r\n") != std::string_view::npos;
}

// Names and values that would break the file's structure (or slip in other keys) are refused.
// A "]" in a section name is fine: the header's name runs to its last "]".
bool Writable(const std::string& section, const std::string& key, const std::string& value) {
    return !Trim(section).empty() && !Trim(key).empty() && !HasLineBreak(section) &&
           !HasLineBreak(key) && !HasLineBreak(value) && key.find('=') == std::string::npos &&
           !IsComment(key) && !Trim(key).starts_with('[');
}

std::string_view LineEndOf(const std::vector<Line>& lines) {
    for (const Line& line : lines)
        if (!line.end.empty()) return line.end;
    return kNewFileLineEnd;
}

void SetValue(std::vector<Line>& lines, const std::string& section, const std::string& key,
              const std::string& value) {
    const std::string eol(LineEndOf(lines));
    const std::string stored = StoredValue(value);
    auto range = FindSection(lines, section);
    if (!range) {
        if (!lines.empty() && lines.back().end.empty()) lines.back().end = eol;
        lines.push_back({"[" + section + "]", eol});
        lines.push_back({key + "=" + stored, eol});
        return;
    }
    if (auto at = FindKey(lines, *range, key)) {
        Line& line = lines[*at];
        line.text = line.text.substr(0, line.text.find('=') + 1) + stored;
        return;
    }
    // A new key goes after the section's last key, so comments and blank lines that
    // introduce the next section stay with it.
    size_t insertAt = range->begin;
    for (size_t i = range->begin; i < range->end; ++i)
        if (KeyName(ParsedText(lines, i))) insertAt = i + 1;
    if (lines[insertAt - 1].end.empty()) lines[insertAt - 1].end = eol;
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt), {key + "=" + stored, eol});
}

std::string JoinLines(const std::vector<Line>& lines) {
    std::string out;
    for (const Line& line : lines) out += line.text + line.end;
    return out;
}

}  // namespace

std::string ReadProfileString(const std::string& file, const std::string& section,
                              const std::string& key, int bufferSize) {
    if (bufferSize <= 1) return {};
    auto content = ReadWholeFile(file);
    if (!content) return {};
    const std::vector<Line> lines = SplitLines(*content);
    auto range = FindSection(lines, section);
    if (!range) return {};
    auto at = FindKey(lines, *range, key);
    if (!at) return {};
    std::string_view text = lines[*at].text;
    std::string_view value = Unquoted(Trim(text.substr(text.find('=') + 1)));
    return CutToCharacters(value, bufferSize - 1);
}

bool WriteProfileString(const std::string& file, const std::string& section, const std::string& key,
                        const std::string& value) {
    if (!Writable(section, key, value)) return false;
    std::error_code ec;
    std::vector<Line> lines;
    if (fs::exists(platform::FilePath(file), ec)) {
        auto content = ReadWholeFile(file);
        if (!content) return false;
        lines = SplitLines(*content);
    }
    SetValue(lines, std::string(Trim(section)), std::string(Trim(key)), value);
    return ReplaceFileContent(file, JoinLines(lines), ec);
}

}  // namespace settings
