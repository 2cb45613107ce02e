// The dashboard's request handling on arbitrary bytes from the network: Beast's parser with the
// server's limits, then the handler's answer to whatever it read, as the server would give it.
#include <boost/beast/http/parser.hpp>
#include <boost/beast/http/string_body.hpp>
#include <cstddef>
#include <cstdint>
#include <utility>  // before Boost, whose headers miss it under C++20

#include "dashboard/BeastRequest.h"
#include "dashboard/DashboardServer.h"

namespace http = boost::beast::http;

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
        dashboard::Request request = dashboard::RequestOf(parser.get(), "192.0.2.7");
        request.body = parser.get().body();
        const auto now = dashboard::Clock::now();
        for (dashboard::RequestHandler* handler : {&withToken, &withoutToken}) {
            (void)handler->HoldsAccess(request, now);
            const dashboard::Reply reply = handler->Handle(request, now);
            (void)handler->Head(reply, reply.body ? reply.body->size() : 0);
        }
    }
    return 0;
}
