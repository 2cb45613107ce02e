// One GET over HTTP or HTTPS on the network loop, for the map's online tiles: bounded in time
// and size, the server's certificate and name checked, the answer handed to the UI thread.
// Linux only for now: the Windows builds have no TLS library.
#pragma once

#include <boost/asio/io_context.hpp>
#include <chrono>
#include <cstddef>
#include <functional>
#include <string>

#include "net/UiQueue.h"

namespace net {

struct HttpGetRequest {
    std::string url;  // "https://tile.example.org/3/4/2.png"
    std::string userAgent = "Sirenwatch";
    std::chrono::milliseconds timeout{30000};  // for the whole exchange
    std::size_t maxBody = 4 << 20;
};

struct HttpGetAnswer {
    bool ok = false;  // a 200 with its whole body
    int status = 0;   // 0 when no answer came
    std::string body;
    std::string problem;  // why not, in words
};

// Starts the request; `done` runs once, on the UI thread, through `ui`.
void HttpGet(boost::asio::io_context& io, UiQueue& ui, HttpGetRequest request,
             std::function<void(HttpGetAnswer)> done);

}  // namespace net
