// A request as Beast's parser read it, in the plain form the dashboard's handler reads: for the
// server's connections and for the HTTP fuzzer alike.
#pragma once

#include <cctype>
#include <string>
#include <utility>

#include "dashboard/RequestHandler.h"

namespace dashboard {

// The head of a parsed message (a whole one, or the head alone while the body still comes);
// the body is the caller's to add.
template <class Message>
Request RequestOf(const Message& message, std::string peer) {
    Request request;
    request.method = std::string(message.method_string());
    request.target = std::string(message.target());
    request.version = message.version();
    for (const auto& field : message) {
        std::string name(field.name_string());
        for (char& c : name) c = char(std::tolower(static_cast<unsigned char>(c)));
        request.headers[name] = std::string(field.value());
    }
    request.peer = std::move(peer);
    return request;
}

}  // namespace dashboard
