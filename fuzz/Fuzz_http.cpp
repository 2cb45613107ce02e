// The dashboard's request handling on arbitrary bytes from the network: Beast's parser with the
// server's limits, then the handler's answer to whatever it read, as the server would give it.
#include <boost/beast/http/parser.hpp>
#include <boost/beast/http/string_body.hpp>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>  // before Boost, whose headers miss it under C++20

#include "dashboard/DashboardServer.h"
#include "dashboard/RequestHandler.h"

namespace http = boost::beast::http;

namespace {

// What the server hands the handler once a request is whole.
dashboard::Request FromMessage(const http::request<http::string_body>& message) {
    dashboard::Request request;
    request.method = std::string(message.method_string());
    request.target = std::string(message.target());
    request.version = message.version();
    for (const auto& field : message) {
        std::string name(field.name_string());
        for (char& c : name) c = char(std::tolower(static_cast<unsigned char>(c)));
        request.headers[name] = std::string(field.value());
    }
    request.body = message.body();
    request.peer = "192.0.2.7";
    return request;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static dashboard::RequestHandler withToken("fuzz-token-0123456789",
                                               "https://{s}.t.example/{z}");
    static dashboard::RequestHandler withoutToken("", "");
    const dashboard::ServerSettings limits;
    http::request_parser<http::string_body> parser;
    parser.header_limit(std::uint32_t(limits.maxHeadBytes));
    parser.body_limit(limits.maxBodyBytes);
    boost::system::error_code error;
    std::size_t used = 0;
    while (used < size && !parser.is_done() && !error)
        used += parser.put(boost::asio::buffer(data + used, size - used), error);
    if (error == http::error::need_more) error = {};
    if (parser.is_header_done() && !error) {
        const dashboard::Request request = FromMessage(parser.get());
        const auto now = dashboard::Clock::now();
        for (dashboard::RequestHandler* handler : {&withToken, &withoutToken}) {
            (void)handler->HoldsAccess(request, now);
            const dashboard::Reply reply = handler->Handle(request, now);
            (void)handler->Head(reply, reply.body ? reply.body->size() : 0);
        }
    }
    return 0;
}
