// The APRS-IS line protocol, read-only side: the login line and a bounded line splitter.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace decode {

// "user CALL pass -1 vers Sirenwatch VERSION filter FILTER\r\n"; the filter part only when
// a filter is given. Passcode -1 asks the server for a receive-only connection.
std::string AprsIsLogin(std::string_view callsign, std::string_view version,
                        std::string_view filter = {});

// Cuts a byte stream into lines at LF (a CR before it is dropped). A line longer than
// kMaxLineBytes is thrown away as a whole, without being buffered. Bytes are kept as bytes.
class LineSplitter {
public:
    static constexpr std::size_t kMaxLineBytes = 512;

    explicit LineSplitter(std::size_t maxLineBytes = kMaxLineBytes) : max_(maxLineBytes) {}
    std::vector<std::string> Feed(std::string_view bytes);
    std::size_t discarded() const { return discarded_; }

private:
    void Append(std::string_view piece);
    void EndLine(std::vector<std::string>& lines);

    std::size_t max_;
    std::string line_;
    bool overflow_ = false;
    std::size_t discarded_ = 0;
};

// The lines of an APRS-IS stream that carry traffic: server comments ("#...") and empty
// lines are skipped.
class AprsIsReceiver {
public:
    std::vector<std::string> Feed(std::string_view bytes);
    std::size_t discarded() const { return lines_.discarded(); }

private:
    LineSplitter lines_;
};

}  // namespace decode
