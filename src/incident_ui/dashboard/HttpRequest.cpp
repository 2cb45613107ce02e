// Reading an HTTP/1.1 request: the request line, the headers, a body of Content-Length.
#include "incident_ui/dashboard/HttpRequest.h"

#include <charconv>

namespace incident_ui::dashboard {

namespace {

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

HttpParse Refuse(int status, std::string reason) {
    HttpParse parse;
    parse.outcome = HttpParse::Outcome::Refused;
    parse.status = status;
    parse.reason = std::move(reason);
    return parse;
}

}  // namespace

HttpParse ParseHttpRequest(std::string_view received, std::size_t maxBytes) {
    const std::size_t headEnd = received.find("\r\n\r\n");
    if (headEnd == std::string_view::npos) {
        if (received.size() > maxBytes) return Refuse(413, "request too large");
        return {};
    }
    std::string_view head = received.substr(0, headEnd);
    const std::size_t firstEnd = head.find('\n');
    const std::string_view first = Trim(head.substr(0, firstEnd));
    head = firstEnd == std::string_view::npos ? std::string_view() : head.substr(firstEnd + 1);

    HttpParse parse;
    HttpRequest& r = parse.request;
    const std::size_t space1 = first.find(' ');
    const std::size_t space2 =
        space1 == std::string_view::npos ? space1 : first.find(' ', space1 + 1);
    if (space2 == std::string_view::npos || first.find(' ', space2 + 1) != std::string_view::npos ||
        !first.substr(space2 + 1).starts_with("HTTP/1.") || space1 == 0 || space2 == space1 + 1)
        return Refuse(400, "not an HTTP/1 request");
    r.method = first.substr(0, space1);
    const std::string_view target = first.substr(space1 + 1, space2 - space1 - 1);
    const std::size_t question = target.find('?');
    r.path = target.substr(0, question);
    if (question != std::string_view::npos) r.query = target.substr(question + 1);

    while (!head.empty()) {
        const std::size_t end = head.find('\n');
        const std::string_view line = head.substr(0, end);
        head = end == std::string_view::npos ? std::string_view() : head.substr(end + 1);
        const std::size_t colon = line.find(':');
        if (colon != std::string_view::npos && colon > 0)
            r.headers[Lower(Trim(line.substr(0, colon)))] = Trim(line.substr(colon + 1));
    }
    if (r.headers.contains("transfer-encoding")) return Refuse(501, "send a Content-Length");
    std::size_t length = 0;
    if (const auto found = r.headers.find("content-length"); found != r.headers.end()) {
        const std::string& text = found->second;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), length);
        if (error != std::errc() || end != text.data() + text.size() || text.empty())
            return Refuse(400, "bad Content-Length");
    }
    const std::size_t bodyStart = headEnd + 4;
    if (length > maxBytes || bodyStart + length > maxBytes) return Refuse(413, "request too large");
    if (received.size() < bodyStart + length) return {};  // the body is still coming
    r.body = received.substr(bodyStart, length);
    parse.outcome = HttpParse::Outcome::Complete;
    return parse;
}

}  // namespace incident_ui::dashboard
