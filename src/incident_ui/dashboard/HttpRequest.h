// One HTTP/1.1 request read from what a client sent so far, within a size limit. Plain C++:
// the bytes come from anyone who can reach the port.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <string_view>

namespace incident_ui::dashboard {

struct HttpRequest {
    std::string method;
    std::string path;   // the target before any "?", as sent (nothing decoded)
    std::string query;  // after the "?"
    std::map<std::string, std::string> headers;  // names in lower case
    std::string body;

    std::string Header(const std::string& name) const {
        const auto found = headers.find(name);
        return found == headers.end() ? std::string() : found->second;
    }
};

struct HttpParse {
    enum class Outcome { Incomplete, Complete, Refused };
    Outcome outcome = Outcome::Incomplete;
    int status = 0;      // when refused: the HTTP status to answer with
    std::string reason;  // when refused
    HttpRequest request;
};

// `received` is everything the client sent; a request (head and body) longer than maxBytes
// is refused as soon as that is known.
HttpParse ParseHttpRequest(std::string_view received, std::size_t maxBytes);

}  // namespace incident_ui::dashboard
