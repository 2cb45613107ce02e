// APRS-IS client side: we only listen, so the login carries passcode -1.
#include "decode/AprsIs.h"

namespace decode {
namespace {

// Keeps a login field on one line and in one word where it must be one.
std::string Field(std::string_view text, bool blanksAllowed) {
    std::string out;
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F || (!blanksAllowed && c == ' ')) continue;
        out.push_back(c);
    }
    return out;
}

}  // namespace

std::string AprsIsLogin(std::string_view callsign, std::string_view version,
                        std::string_view filter) {
    std::string line =
        "user " + Field(callsign, false) + " pass -1 vers Sirenwatch " + Field(version, false);
    const std::string cleanFilter = Field(filter, true);
    if (cleanFilter.find_first_not_of(' ') != std::string::npos) line += " filter " + cleanFilter;
    return line + "\r\n";
}

std::vector<std::string> LineSplitter::Feed(std::string_view bytes) {
    std::vector<std::string> lines;
    for (auto end = bytes.find('\n'); end != std::string_view::npos; end = bytes.find('\n')) {
        Append(bytes.substr(0, end));
        EndLine(lines);
        bytes.remove_prefix(end + 1);
    }
    Append(bytes);
    return lines;
}

void LineSplitter::Append(std::string_view piece) {
    if (overflow_ || piece.empty()) return;
    // One byte of slack for the CR of a line that is exactly at the limit.
    const std::size_t size = line_.size() + piece.size();
    if (size <= max_ || (size == max_ + 1 && piece.back() == '\r')) {
        line_.append(piece);
    } else {
        overflow_ = true;
        line_.clear();
    }
}

void LineSplitter::EndLine(std::vector<std::string>& lines) {
    if (overflow_) {
        ++discarded_;
    } else {
        if (!line_.empty() && line_.back() == '\r') line_.pop_back();
        lines.push_back(std::move(line_));
    }
    line_.clear();
    overflow_ = false;
}

std::vector<std::string> AprsIsReceiver::Feed(std::string_view bytes) {
    std::vector<std::string> traffic;
    for (auto& line : lines_.Feed(bytes)) {
        if (line.empty() || line[0] == '#') continue;
        traffic.push_back(std::move(line));
    }
    return traffic;
}

}  // namespace decode
