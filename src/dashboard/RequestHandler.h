// What the dashboard answers to one whole request, without sockets: the page's fixed files,
// the base map, the token and ticket rules, and what an action asks. The server does the rest
// (the state, the stream and the action itself cross to the UI thread); the fuzzer drives it
// with parsed bytes alone.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "dashboard/Access.h"
#include "dashboard/DashboardSource.h"
#include "platform/Result.h"

namespace dashboard {

struct Request {
    std::string method;
    std::string target;                          // as sent: the path and any "?query"
    unsigned version = 11;                       // 11: HTTP/1.1
    std::map<std::string, std::string> headers;  // names in lower case
    std::string body;
    std::string peer;  // the client's address

    std::string Header(const std::string& name) const {
        const auto found = headers.find(name);
        return found == headers.end() ? std::string() : found->second;
    }
};

struct Reply {
    enum class Kind {
        Answer,  // status, type and body as given
        State,   // the current state as JSON, once the UI thread has given it
        Stream,  // the event stream
        Act,     // `action`, done on the UI thread; its result is the answer
    };
    Kind kind = Kind::Answer;
    int status = 200;
    std::string type = "application/json";
    std::shared_ptr<const std::string> body;
    bool headOnly = false;     // HEAD: the head, with the length the body would have
    std::string extraHeaders;  // whole lines, each ending in CRLF
    Action action;
};

class RequestHandler {
public:
    // `token`: needed for the data when set and for every action; never logged.
    RequestHandler(std::string token, const std::string& tileUrl);

    // The page's files from its folder, by the only paths that reach them.
    platform::Result<void> LoadPage(const std::string& folder);
    void SetBaseMapJson(std::string json);

    Reply Handle(const Request& request, Clock::time_point now);
    // Whether the request carries the token or a good ticket (counting no failure).
    bool HoldsAccess(const Request& request, Clock::time_point now) const;

    // The head of an answer that closes the connection after `length` bytes of body.
    std::string Head(const Reply& reply, std::size_t length) const;
    static std::string StreamHead();
    static Reply Error(int status, const std::string& message, std::string extraHeaders = {});
    static Reply ActionDone(const ActionResult& result);
    bool ActionsOn() const { return !token_.empty(); }

private:
    Reply HandleApi(const Request& request, const std::string& path, Clock::time_point now);
    std::string GivenToken(const Request& request) const;

    std::string token_;
    std::string contentPolicy_;
    std::map<std::string, std::pair<std::string, std::shared_ptr<const std::string>>> files_;
    std::shared_ptr<const std::string> baseMap_;
    TicketBook tickets_;
    FailureLimiter failures_;
};

// The tile server's origin for the page's content policy ("https://*.tiles.example.org"),
// empty without tiles or when the address is not a plain http(s) one.
std::string TileOrigin(const std::string& tileUrl);

// Whether the Host header names this machine: "localhost", "127.0.0.1", "[::1]"...
bool LocalName(const std::string& host);

// The action a JSON body asks for, or why it cannot be read.
platform::Result<Action> ParseAction(const std::string& body);

}  // namespace dashboard
