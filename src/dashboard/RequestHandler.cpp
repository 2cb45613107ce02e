// The dashboard's answers: fixed files, the token and ticket rules, actions read from JSON.
#include "dashboard/RequestHandler.h"

#include <algorithm>
#include <boost/asio/ip/address.hpp>
#include <fstream>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>

#include "dashboard/DashboardJson.h"
#include "platform/Paths.h"

namespace dashboard {

namespace {

constexpr std::size_t kMaxOperatorChars = 64;
constexpr std::size_t kMaxNoteChars = 2000;

// The page's own files, by the only paths that reach them.
struct PageFile {
    const char* path;
    const char* file;
    const char* type;
};
constexpr PageFile kPageFiles[] = {
    {"/", "index.html", "text/html; charset=utf-8"},
    {"/dashboard.js", "dashboard.js", "text/javascript; charset=utf-8"},
    {"/dashboard.css", "dashboard.css", "text/css; charset=utf-8"},
    {"/vendor/leaflet/leaflet.js", "vendor/leaflet/leaflet.js", "text/javascript; charset=utf-8"},
    {"/vendor/leaflet/leaflet.css", "vendor/leaflet/leaflet.css", "text/css; charset=utf-8"},
    {"/vendor/leaflet/LICENSE", "vendor/leaflet/LICENSE", "text/plain; charset=utf-8"},
};

const char* StatusText(int status) {
    switch (status) {
        case 200:
            return "OK";
        case 400:
            return "Bad Request";
        case 401:
            return "Unauthorized";
        case 403:
            return "Forbidden";
        case 404:
            return "Not Found";
        case 405:
            return "Method Not Allowed";
        case 408:
            return "Request Timeout";
        case 409:
            return "Conflict";
        case 413:
            return "Content Too Large";
        case 415:
            return "Unsupported Media Type";
        case 429:
            return "Too Many Requests";
        case 431:
            return "Request Header Fields Too Large";
        case 500:
            return "Internal Server Error";
        case 503:
            return "Service Unavailable";
        case 505:
            return "HTTP Version Not Supported";
        default:
            return "Error";
    }
}

std::shared_ptr<const std::string> Shared(std::string text) {
    return std::make_shared<const std::string>(std::move(text));
}

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::string Trimmed(const std::string& text) {
    const char* space = " \t\r\n";
    const std::size_t first = text.find_first_not_of(space);
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(space) - first + 1);
}

std::size_t Characters(const std::string& utf8) {
    return std::size_t(std::count_if(utf8.begin(), utf8.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

std::optional<ActionKind> ParseKind(const std::string& text) {
    if (text == "acknowledge") return ActionKind::Acknowledge;
    if (text == "take") return ActionKind::Take;
    if (text == "note") return ActionKind::Note;
    if (text == "close") return ActionKind::Close;
    if (text == "take_over") return ActionKind::TakeOver;
    if (text == "release") return ActionKind::Release;
    return std::nullopt;
}

std::string StringField(const nlohmann::json& object, const char* name) {
    const auto found = object.find(name);
    return found != object.end() && found->is_string() ? found->get<std::string>() : std::string();
}

// The value of `name` in a query ("a=1&ticket=x"), as sent: tickets need no decoding.
std::string QueryValue(const std::string& query, const std::string& name) {
    std::istringstream parts(query);
    for (std::string part; std::getline(parts, part, '&');)
        if (part.starts_with(name + "=")) return part.substr(name.size() + 1);
    return {};
}

Reply Answer(std::string type, std::shared_ptr<const std::string> body, bool headOnly) {
    Reply reply;
    reply.type = std::move(type);
    reply.body = std::move(body);
    reply.headOnly = headOnly;
    return reply;
}

Reply NotAllowed(const char* allow) {
    return RequestHandler::Error(405, "method not allowed",
                                 std::string("Allow: ") + allow + "\r\n");
}

}  // namespace

std::string TileOrigin(const std::string& tileUrl) {
    const std::size_t schemeEnd = tileUrl.find("://");
    if (schemeEnd == std::string::npos) return {};
    const std::string scheme = Lower(tileUrl.substr(0, schemeEnd));
    if (scheme != "https" && scheme != "http") return {};
    std::string authority = tileUrl.substr(schemeEnd + 3);
    authority = authority.substr(0, authority.find_first_of("/?#"));
    if (const std::size_t at = authority.rfind('@'); at != std::string::npos)
        authority.erase(0, at + 1);
    if (!authority.starts_with('['))
        authority = authority.substr(0, authority.find(':'));
    else
        authority = authority.substr(0, authority.find(']') + 1);
    std::string host = Lower(authority);
    const bool wildcard = host.starts_with("{s}.");
    if (wildcard) host.erase(0, 4);
    if (host.empty() ||
        host.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789.-[]:") != std::string::npos)
        return {};
    if (wildcard) {
        host = "*." + host;
    } else if (host.find('{') != std::string::npos) {
        return {};
    }
    return scheme + "://" + host;
}

bool LocalName(const std::string& host) {
    std::string name = Lower(host);
    if (name.starts_with('[')) {
        name = name.substr(1, name.find(']') - 1);
    } else if (const std::size_t colon = name.rfind(':'); colon != std::string::npos) {
        name = name.substr(0, colon);
    }
    if (name == "localhost") return true;
    boost::system::error_code error;
    const auto address = boost::asio::ip::make_address(name, error);
    return !error && address.is_loopback();
}

platform::Result<Action> ParseAction(const std::string& body) {
    const nlohmann::json request = nlohmann::json::parse(body, nullptr, false);
    const auto kind =
        request.is_object() ? ParseKind(StringField(request, "action")) : std::nullopt;
    if (!kind)
        return platform::Fail(
            "expected {\"action\": \"acknowledge\"|\"take\"|\"take_over\"|\"release\"|"
            "\"note\"|\"close\", ...}");
    Action action;
    action.kind = *kind;
    action.incident = StringField(request, "incident");
    action.operatorName = Trimmed(StringField(request, "operator"));
    action.note = Trimmed(StringField(request, "note"));
    if (Characters(action.operatorName) > kMaxOperatorChars ||
        Characters(action.note) > kMaxNoteChars)
        return platform::Fail("the operator's name or the note is too long");
    return action;
}

RequestHandler::RequestHandler(std::string token, const std::string& tileUrl)
    : token_(std::move(token)),
      contentPolicy_(
          "default-src 'none'; script-src 'self'; style-src 'self'; connect-src 'self'; "
          "img-src 'self' data: " +
          TileOrigin(tileUrl) + "; base-uri 'none'; form-action 'none'; frame-ancestors 'none'"),
      baseMap_(Shared(
          SafeJson({{"type", "FeatureCollection"}, {"features", nlohmann::json::array()}}))) {}

platform::Result<void> RequestHandler::LoadPage(const std::string& folder) {
    for (const PageFile& page : kPageFiles) {
        const std::string name = folder + "/" + page.file;
        std::ifstream file(platform::FilePath(name), std::ios::binary);
        std::ostringstream content;
        content << file.rdbuf();
        if (!file) return platform::Fail("the dashboard's page is missing " + name);
        files_[page.path] = {page.type, Shared(content.str())};
    }
    return {};
}

void RequestHandler::SetBaseMapJson(std::string json) {
    baseMap_ = Shared(std::move(json));
}

Reply RequestHandler::Error(int status, const std::string& message, std::string extraHeaders) {
    Reply reply = Answer("application/json", Shared(ErrorJson(message)), false);
    reply.status = status;
    reply.extraHeaders = std::move(extraHeaders);
    return reply;
}

Reply RequestHandler::ActionDone(const ActionResult& result) {
    if (!result) return Error(409, result.error().text);
    return Answer("application/json", Shared(SafeJson({{"ok", true}})), false);
}

std::string RequestHandler::GivenToken(const Request& request) const {
    const std::string authorization = request.Header("authorization");
    if (Lower(authorization.substr(0, 7)) == "bearer ") return Trimmed(authorization.substr(7));
    return request.Header("x-sirenwatch-token");
}

bool RequestHandler::HoldsAccess(const Request& request, Clock::time_point now) const {
    if (token_.empty()) return false;
    if (TokenMatches(GivenToken(request), token_)) return true;
    const std::size_t question = request.target.find('?');
    return question != std::string::npos &&
           tickets_.Holds(QueryValue(request.target.substr(question + 1), "ticket"), now);
}

Reply RequestHandler::Handle(const Request& request, Clock::time_point now) {
    if (request.version != 10 && request.version != 11)
        return Error(505, "only HTTP/1.0 and HTTP/1.1 are spoken here");
    const std::string path = request.target.substr(0, request.target.find('?'));
    const bool isGet = request.method == "GET";
    const bool isHead = request.method == "HEAD";
    if (const auto found = files_.find(path); found != files_.end()) {
        if (!isGet && !isHead) return NotAllowed("GET, HEAD");
        return Answer(found->second.first, found->second.second, isHead);
    }
    return HandleApi(request, path, now);
}

Reply RequestHandler::HandleApi(const Request& request, const std::string& path,
                                Clock::time_point now) {
    const bool api = path == "/api/state" || path == "/api/events" || path == "/api/basemap" ||
                     path == "/api/action" || path == "/api/ticket";
    if (!api) return Error(404, "no such page");
    // Without a token only this machine's own names may ask, so a web site that makes its
    // name point here (DNS rebinding) cannot read the watch through a visitor's browser.
    if (token_.empty() && !LocalName(request.Header("host")))
        return Error(403, "without an access token only localhost may ask");
    const bool isGet = request.method == "GET";
    const bool isHead = request.method == "HEAD";
    const bool isPost = request.method == "POST";
    // With a token set, what the watcher knows is shown only to those who hold it; the event
    // stream, which a browser opens by address alone, with a ticket asked for with the token.
    if (!token_.empty()) {
        if (failures_.Blocked(request.peer, now))
            return Error(429, "too many wrong access tokens: wait a minute", "Retry-After: 60\r\n");
        const std::size_t question = request.target.find('?');
        const std::string ticket = question == std::string::npos
                                       ? std::string()
                                       : QueryValue(request.target.substr(question + 1), "ticket");
        const std::string given = GivenToken(request);
        const bool streamByTicket =
            path == "/api/events" && !ticket.empty() && isGet && tickets_.Redeem(ticket, now);
        if (!streamByTicket && !TokenMatches(given, token_)) {
            if (!ticket.empty() && given.empty())
                return Error(401, "the stream's ticket is stale: ask for another");
            if (given.empty()) return Error(401, "the access token is missing");
            failures_.Failed(request.peer, now);
            return Error(403, "the access token is wrong");
        }
    }
    if (path == "/api/action" || path == "/api/ticket") {
        if (!isPost) return NotAllowed("POST");
        if (token_.empty())
            return Error(403, path == "/api/action"
                                  ? "actions need an access token: set DashboardToken in the "
                                    "host's settings"
                                  : "no access token is set: the stream needs no ticket");
        if (path == "/api/ticket")
            return Answer("application/json", Shared(SafeJson({{"ticket", tickets_.Issue(now)}})),
                          false);
        if (!request.Header("content-type").starts_with("application/json"))
            return Error(415, "send JSON");
        const auto action = ParseAction(request.body);
        if (!action) return Error(400, action.error().text);
        Reply reply;
        reply.kind = Reply::Kind::Act;
        reply.action = *action;
        return reply;
    }
    if (path == "/api/events") {
        if (!isGet) return NotAllowed("GET");
        Reply reply;
        reply.kind = Reply::Kind::Stream;
        return reply;
    }
    if (!isGet && !isHead) return NotAllowed("GET, HEAD");
    if (path == "/api/basemap") return Answer("application/geo+json", baseMap_, isHead);
    Reply reply;
    reply.kind = Reply::Kind::State;
    reply.headOnly = isHead;
    return reply;
}

std::string RequestHandler::Head(const Reply& reply, std::size_t length) const {
    return "HTTP/1.1 " + std::to_string(reply.status) + " " + StatusText(reply.status) +
           "\r\nContent-Type: " + reply.type + "\r\nContent-Length: " + std::to_string(length) +
           "\r\nConnection: close\r\nCache-Control: no-store"
           "\r\nX-Content-Type-Options: nosniff\r\nX-Frame-Options: DENY"
           "\r\nReferrer-Policy: no-referrer\r\nContent-Security-Policy: " +
           contentPolicy_ + "\r\n" + reply.extraHeaders + "\r\n";
}

std::string RequestHandler::StreamHead() {
    return "HTTP/1.1 200 OK\r\nContent-Type: text/event-stream\r\nCache-Control: no-store\r\n"
           "X-Content-Type-Options: nosniff\r\nConnection: keep-alive\r\n\r\nretry: 3000\n\n";
}

}  // namespace dashboard
