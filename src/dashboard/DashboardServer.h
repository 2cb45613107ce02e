// The dashboard's web server on the network loop's thread: the page's files, the state as
// JSON, its changes as Server-Sent Events, operators' actions. HTTP is read by Beast's parser
// within limits of size and time; one request per connection, except the event stream.
//
// The watch (the Source) lives on the UI thread and is only touched there: the server asks it
// for the state through the UiQueue when a change has settled and someone listens, and hands
// it actions the same way; their results come back to the connection on the loop.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "dashboard/DashboardSource.h"
#include "platform/Result.h"

namespace basemap {
struct BaseMap;
}
namespace net {
class IoThread;
class UiQueue;
}  // namespace net

namespace dashboard {

using Milliseconds = std::chrono::milliseconds;

struct ServerSettings {
    std::string address = "127.0.0.1";
    std::uint16_t port = 0;  // 0: any free port (tests)
    // Needed to listen beyond loopback (at least kMinRemoteTokenChars long there), for the
    // data when set, and for every action everywhere; with none, actions are refused.
    std::string token;
    std::string pageFolder;  // the page's files: index.html, dashboard.js... and vendor/leaflet/
    std::string tileUrl;     // online tiles under the base map; empty: the page asks nothing online
    std::string tileAttribution;
    std::size_t maxHeadBytes = 8 * 1024;
    std::size_t maxBodyBytes = 16 * 1024;
    Milliseconds headTimeout{2000};      // the request's head must be whole by then
    Milliseconds requestTimeout{10000};  // and the whole request by then
    Milliseconds writeTimeout{30000};    // an answer, or one message of a stream, in this time
    // A connection that has waited this long on its client gives way to a new one at a limit.
    Milliseconds stallGrace{1000};
    int maxConnections = 64;            // every open connection counts, whatever it does
    int keptForTokenHolders = 16;       // the last ones of those, for requests with the token
    int maxPerAddress = 32;             // connections from one address
    int maxPerAddressWithoutToken = 8;  // of those, for requests without the token
    int maxStreams = 16;
    int maxStreamsPerAddress = 8;
    Milliseconds pushDelay{300};    // changes are gathered this long before they are sent
    Milliseconds keepAlive{25000};  // a comment on idle streams, so proxies keep them open
};

// Whether an address text (IPv4 or IPv6) is this machine's loopback.
bool IsLoopbackAddress(const std::string& address);

// Whether a server could listen there now; the system's reason when not.
platform::Result<void> CanListen(const std::string& address, std::uint16_t port);

class ServerCore;

class DashboardServer {
public:
    // `source` and `ui` belong to the UI thread, which drains `ui`; the server runs on `io`.
    DashboardServer(Source& source, ServerSettings settings, net::IoThread& io, net::UiQueue& ui);
    ~DashboardServer();  // the UI thread; closes every connection
    DashboardServer(const DashboardServer&) = delete;
    DashboardServer& operator=(const DashboardServer&) = delete;

    void SetBaseMap(std::shared_ptr<const basemap::BaseMap> map);
    // Loads the page and listens; a problem when it cannot (the token is never in it).
    platform::Result<void> Start();
    std::uint16_t Port() const { return port_; }
    std::string Url() const;  // "http://127.0.0.1:8080/"
    // Connections open now, each counted until it is closed (for tests and soaks).
    int OpenConnections() const;

private:
    std::string StateJson() const;  // the UI thread

    Source& source_;
    ServerSettings settings_;
    net::IoThread& io_;
    net::UiQueue& ui_;
    std::shared_ptr<ServerCore> core_;
    std::shared_ptr<std::atomic<bool>> alive_;
    std::string baseMapJson_;
    std::uint16_t port_ = 0;
};

}  // namespace dashboard
