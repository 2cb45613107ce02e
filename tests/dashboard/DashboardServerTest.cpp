// The dashboard's server on loopback, its loop on a thread of its own and this thread draining
// the UI queue as the UI thread would: what it refuses, what it serves, its live stream, and
// how it holds against clients that crowd it.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "basemap/BaseMap.h"
#include "dashboard/DashboardServer.h"
#include "dashboard/FakeSource.h"
#include "net/IoThread.h"
#include "net/UiQueue.h"

namespace dashboard {
namespace {

using namespace std::chrono_literals;
using Steady = std::chrono::steady_clock;

constexpr char kToken[] = "a-token-of-twenty-chars";

std::string Get(const std::string& target, const std::string& extra = {}) {
    return "GET " + target + " HTTP/1.1\r\nHost: x\r\n" + extra + "\r\n";
}
std::string Post(const std::string& target, const std::string& body, const std::string& auth) {
    return "POST " + target + " HTTP/1.1\r\nHost: x\r\nContent-Type: application/json\r\n" + auth +
           "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}
std::string Bearer(const std::string& token) {
    return "Authorization: Bearer " + token + "\r\n";
}
std::string Status(const std::string& answer) {
    return answer.substr(0, std::min<std::size_t>(answer.find("\r\n"), 40));
}

// A connected socket from `from` (any 127.x address is this machine), or -1.
int Connect(std::uint16_t port, const char* from = "127.0.0.1", int receiveBuffer = 0) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (receiveBuffer > 0)
        ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    ::inet_pton(AF_INET, from, &local.sin_addr);
    sockaddr_in server{};
    server.sin_family = AF_INET;
    server.sin_port = htons(port);
    ::inet_pton(AF_INET, "127.0.0.1", &server.sin_addr);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
        ::connect(fd, reinterpret_cast<sockaddr*>(&server), sizeof server) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

struct Served {
    explicit Served(std::string token = kToken, std::string address = "127.0.0.1",
                    const std::function<void(ServerSettings&)>& adjust = {})
        : server(source, Settings(std::move(token), std::move(address), adjust), io, ui) {
        IncidentView& i = source.snapshot.incidents.emplace_back();
        i.id = "Q1X";
        i.callsign = "Q1X<b>";
        i.evidence = "!EMERGENCY! <script>alert(1)</script>";
        i.actions = {"acknowledge", "take"};
        io.Start();
    }
    static ServerSettings Settings(std::string token, std::string address,
                                   const std::function<void(ServerSettings&)>& adjust) {
        ServerSettings s;
        s.address = std::move(address);
        s.token = std::move(token);
        s.pageFolder = SIRENWATCH_SOURCE_DIR "/data/dashboard";
        s.headTimeout = 300ms;
        s.requestTimeout = 600ms;
        s.pushDelay = 10ms;
        if (adjust) adjust(s);
        return s;
    }
    // Waits for the condition, doing the UI thread's part meanwhile.
    bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit = 5s) {
        const auto end = Steady::now() + limit;
        while (!done()) {
            if (Steady::now() > end) return false;
            ui.Drain();
            std::this_thread::sleep_for(2ms);
        }
        return true;
    }
    // Reads what the server sends until it closes or the condition holds.
    std::string Read(int fd, const std::function<bool(const std::string&)>& enough = {}) {
        std::string answer;
        bool closed = false;
        WaitFor([&] {
            pollfd p{fd, POLLIN, 0};
            while (::poll(&p, 1, 0) > 0) {
                char chunk[65536];
                const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
                if (n <= 0) return closed = true;
                answer.append(chunk, std::size_t(n));
            }
            return enough && enough(answer);
        });
        EXPECT_TRUE(closed || enough) << "the server keeps the link: " << Status(answer);
        return answer;
    }
    std::string Exchange(const std::string& request, const char* from = "127.0.0.1") {
        const int fd = Connect(server.Port(), from);
        if (fd < 0) return "no connection";
        ::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
        std::string answer = Read(fd);
        ::close(fd);
        return answer;
    }

    dashboard_test::FakeSource source;
    net::UiQueue ui;
    net::IoThread io;
    DashboardServer server;
};

// The most resident memory this process (the server and its clients) has held, in MiB.
std::size_t PeakResidentMiB() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.starts_with("VmHWM:")) return std::stoul(line.substr(6)) / 1024;
    return 0;
}

TEST(DashboardServer, RefusesWhatItMustAsAWellKeptParserDoes) {
    Served served;
    ASSERT_TRUE(served.server.Start().has_value());
    const std::string take = R"({"action":"take","incident":"Q1X","operator":"Anna"})";
    const std::string token = "X-Sirenwatch-Token: " + std::string(kToken) + "\r\n";
    const struct {
        const char* what;
        std::string request;
        const char* status;
    } cases[] = {
        {"state without the token", Get("/api/state"), "401"},
        {"state with a wrong token",
         Get("/api/state", "X-Sirenwatch-Token: a-token-of-twenty-charS\r\n"), "403"},
        {"the token in the query string", Get(std::string("/api/state?token=") + kToken), "401"},
        {"action without the token", Post("/api/action", take, ""), "401"},
        {"action with a shorter token", Post("/api/action", take, Bearer("a-token")), "403"},
        {"action with a token in the query",
         Post(std::string("/api/action?token=") + kToken, take, ""), "401"},
        {"operator's name too long",
         Post("/api/action",
              R"({"action":"take","incident":"Q1X","operator":")" + std::string(65, 'a') + "\"}",
              token),
         "400"},
        {"note too long",
         Post("/api/action",
              R"({"action":"note","incident":"Q1X","note":")" + std::string(2001, 'a') + "\"}",
              token),
         "400"},
        {"action by GET", Get("/api/action", token), "405"},
        {"a ticket by GET", Get("/api/ticket", token), "405"},
        {"page by POST", "POST / HTTP/1.1\r\nContent-Length: 0\r\n\r\n", "405"},
        {"a body over the limit", Post("/", std::string(16 * 1024 + 1, 'x'), ""), "413"},
        {"a body within the limit", Post("/", std::string(16 * 1024, 'x'), ""), "405"},
        {"a length that is no number", "POST / HTTP/1.1\r\nContent-Length: 1x\r\n\r\n", "400"},
        {"two lengths", "POST / HTTP/1.1\r\nContent-Length: 1\r\nContent-Length: 2\r\n\r\nab",
         "400"},
        {"a space before the colon", "GET / HTTP/1.1\r\nHost : x\r\n\r\n", "400"},
        {"HTTP/1.7", "GET / HTTP/1.7\r\nHost: x\r\n\r\n", "400"},
        {"bare line feeds, answered at once", "GET / HTTP/1.1\nHost: x\n\n", "400"},
        {"oversized head", "GET / HTTP/1.1\r\nX-Pad: " + std::string(9000, 'a') + "\r\n\r\n",
         "431"},
        {"parent folder", Get("/../CMakeLists.txt"), "404"},
        {"encoded parent folder", Get("/%2e%2e/%2e%2e/etc/passwd"), "404"},
        {"folder under the page", Get("/vendor/leaflet/../../index.html"), "404"},
        {"a file beside the page's", Get("/vendor/leaflet/VERSION"), "404"},
        {"a request that never ends", "GET / HTTP/1.1\r\n", "408"},
        {"not HTTP", "HELLO\r\n\r\n", "400"},
    };
    for (const auto& c : cases) {
        const std::string answer = served.Exchange(c.request);
        EXPECT_EQ(Status(answer).substr(0, 12), std::string("HTTP/1.1 ") + c.status)
            << c.what << ": " << Status(answer);
    }
    EXPECT_TRUE(served.source.actions.empty());
}

TEST(DashboardServer, ServesThePageAndEscapedStateAndTakesActionsImagesOnlyFromItsTiles) {
    Served served;
    ASSERT_TRUE(served.server.Start().has_value());
    const std::string page = served.Exchange(Get("/"));
    EXPECT_TRUE(page.starts_with("HTTP/1.1 200"));
    EXPECT_NE(page.find("Content-Security-Policy: default-src 'none'; script-src 'self'"),
              std::string::npos);
    EXPECT_NE(page.find("X-Content-Type-Options: nosniff"), std::string::npos);
    EXPECT_NE(page.find("dashboard.js"), std::string::npos);
    EXPECT_NE(page.find("img-src 'self' data: ;"), std::string::npos) << "no tiles: its own";
    // HEAD: the same head, no body.
    const std::string head = served.Exchange("HEAD / HTTP/1.1\r\nHost: x\r\n\r\n");
    EXPECT_TRUE(head.starts_with("HTTP/1.1 200"));
    EXPECT_EQ(head.substr(head.find("Content-Length:"), 20),
              page.substr(page.find("Content-Length:"), 20));
    EXPECT_TRUE(head.ends_with("\r\n\r\n"));

    const std::string state = served.Exchange(Get("/api/state", Bearer(kToken)));
    EXPECT_TRUE(state.starts_with("HTTP/1.1 200"));
    EXPECT_EQ(state.find("<script"), std::string::npos) << state;
    EXPECT_EQ(state.find("<b>"), std::string::npos);
    EXPECT_NE(state.find(R"(\u003cscript\u003e)"), std::string::npos);
    EXPECT_NE(state.find(R"("actions":["acknowledge","take"])"), std::string::npos);

    const std::string answer = served.Exchange(Post(
        "/api/action", R"({"action":"take","incident":"Q1X","operator":"Anna"})", Bearer(kToken)));
    EXPECT_TRUE(answer.ends_with(R"({"ok":true})")) << answer;
    ASSERT_EQ(served.source.actions.size(), 1u);
    EXPECT_EQ(served.source.actions[0].kind, ActionKind::Take);
    EXPECT_EQ(served.source.actions[0].operatorName, "Anna");
    // The hand-over's two actions, with the note, by the page's own header; a refusal is told.
    for (const auto& [name, kind] : {std::pair{"take_over", ActionKind::TakeOver},
                                     std::pair{"release", ActionKind::Release}}) {
        const std::string body = std::string(R"({"action":")") + name +
                                 R"(","incident":"Q1X","operator":"Bea","note":"shift over"})";
        EXPECT_TRUE(served
                        .Exchange(Post("/api/action", body,
                                       "X-Sirenwatch-Token: " + std::string(kToken) + "\r\n"))
                        .starts_with("HTTP/1.1 200"))
            << name;
        EXPECT_EQ(served.source.actions.back().kind, kind) << name;
        EXPECT_EQ(served.source.actions.back().note, "shift over") << name;
    }
    served.source.next = platform::Fail("only the handler releases it");
    const std::string refused = served.Exchange(
        Post("/api/action", R"({"action":"release","incident":"Q1X"})", Bearer(kToken)));
    EXPECT_TRUE(refused.starts_with("HTTP/1.1 409")) << refused;
    EXPECT_TRUE(refused.ends_with(R"({"error":"only the handler releases it"})"));

    // With a tile server the page may load images from it, and only from it.
    Served tiled(kToken, "127.0.0.1", [](ServerSettings& s) {
        s.tileUrl = "https://{s}.tiles.example.org/{z}/{x}/{y}.png";
    });
    ASSERT_TRUE(tiled.server.Start().has_value());
    EXPECT_NE(tiled.Exchange(Get("/")).find("img-src 'self' data: https://*.tiles.example.org;"),
              std::string::npos);
}

TEST(DashboardServer, WithoutATokenActionsAreOffAndOnlyLocalNamesRead) {
    Served served("");
    ASSERT_TRUE(served.server.Start().has_value());
    const auto withHost = [](const std::string& host) {
        return "GET /api/state HTTP/1.1\r\nHost: " + host + "\r\n\r\n";
    };
    const struct {
        std::string request;
        const char* status;
    } cases[] = {
        {Post("/api/action", R"({"action":"acknowledge","incident":"Q1X"})", Bearer("x")), "403"},
        {withHost("localhost:8080"), "200"},
        {withHost("[::1]:8080"), "200"},
        {withHost("127.0.0.1"), "200"},
        {withHost("sirenwatch.example.org:8080"), "403"},
    };
    for (const auto& c : cases) {
        const std::string answer = served.Exchange(c.request);
        EXPECT_TRUE(answer.starts_with(std::string("HTTP/1.1 ") + c.status))
            << c.request.substr(0, 60) << " -> " << Status(answer);
    }
    EXPECT_TRUE(served.source.actions.empty());
}

TEST(DashboardServer, BeyondLoopbackOnlyWithALongEnoughToken) {
    Served open("", "0.0.0.0");
    const auto refused = open.server.Start();
    ASSERT_FALSE(refused);
    EXPECT_NE(refused.error().text.find("DashboardToken"), std::string::npos);
    Served shortToken("s3cret", "0.0.0.0");
    const auto tooShort = shortToken.server.Start();
    ASSERT_FALSE(tooShort);
    EXPECT_NE(tooShort.error().text.find("at least 16 characters"), std::string::npos);
    // With a token it goes on to listen: on an address of no interface here, which fails.
    Served guarded(kToken, "192.0.2.1");
    const auto failed = guarded.server.Start();
    ASSERT_FALSE(failed.has_value());
    EXPECT_EQ(failed.error().text.find("DashboardToken"), std::string::npos) << failed.error().text;
}

TEST(DashboardServer, TheStreamOpensWithAOneTimeTicketAndSendsTheStateThenEachChange) {
    Served served;
    ASSERT_TRUE(served.server.Start().has_value());
    const std::string answer = served.Exchange(Post("/api/ticket", "", Bearer(kToken)));
    const std::size_t at = answer.find(R"({"ticket":")");
    ASSERT_NE(at, std::string::npos) << answer;
    const std::string ticket = answer.substr(at + 11, 32);

    const int fd = Connect(served.server.Port());
    const std::string open = Get("/api/events?ticket=" + ticket);
    ::send(fd, open.data(), open.size(), MSG_NOSIGNAL);
    std::string received;
    const auto states = [&](const std::string& text) {
        std::size_t count = 0;
        for (std::size_t i = text.find("event: state"); i != std::string::npos;
             i = text.find("event: state", i + 1))
            ++count;
        return count;
    };
    received += served.Read(fd, [&](const std::string& text) { return states(text) == 1; });
    EXPECT_NE(received.find("Content-Type: text/event-stream"), std::string::npos);
    served.source.Changed();
    served.source.Changed();  // gathered into one message
    received +=
        served.Read(fd, [&](const std::string& text) { return states(received + text) == 2; });
    EXPECT_EQ(states(received), 2u);
    ::close(fd);
    EXPECT_TRUE(served.Exchange(open).starts_with("HTTP/1.1 401")) << "a ticket is used once";
}

TEST(DashboardServer, WrongTokensFromOneAddressAreSlowedThereOnly) {
    Served served;
    ASSERT_TRUE(served.server.Start().has_value());
    for (int i = 0; i < 10; ++i)
        EXPECT_TRUE(
            served.Exchange(Get("/api/state", Bearer("guess-" + std::to_string(i))), "127.0.0.2")
                .starts_with("HTTP/1.1 403"));
    EXPECT_TRUE(served.Exchange(Get("/api/state", Bearer("guess")), "127.0.0.2")
                    .starts_with("HTTP/1.1 429"));
    EXPECT_TRUE(served.Exchange(Get("/api/state", Bearer(kToken)), "127.0.0.2")
                    .starts_with("HTTP/1.1 429"));
    EXPECT_TRUE(served.Exchange(Get("/api/state", Bearer(kToken)), "127.0.0.1")
                    .starts_with("HTTP/1.1 200"));
}

TEST(DashboardServer, WhenFullItAnswers503AndEveryConnectionCountsUntilClosed) {
    Served served(kToken, "127.0.0.1", [](ServerSettings& s) {
        s.maxConnections = 4;
        s.keptForTokenHolders = 0;
        s.headTimeout = 10s;
        s.stallGrace = 10s;
    });
    ASSERT_TRUE(served.server.Start().has_value());
    std::vector<int> idle;
    for (int i = 0; i < 4; ++i) idle.push_back(Connect(served.server.Port()));
    ASSERT_TRUE(served.WaitFor([&] { return served.server.OpenConnections() == 4; }));
    EXPECT_TRUE(served.Exchange(Get("/")).starts_with("HTTP/1.1 503"));
    for (int fd : idle) ::close(fd);
    EXPECT_TRUE(served.WaitFor([&] { return served.server.OpenConnections() == 0; }));
}

TEST(DashboardServer, AReconnectingFloodFromOneAddressLeavesATokenHolderServed) {
    Served served;
    ASSERT_TRUE(served.server.Start().has_value());
    // Connections that send half a head and are dropped and made again, without pause.
    std::atomic<bool> flooding{true};
    std::thread flood([&] {
        std::vector<int> held;
        while (flooding) {
            const int fd = Connect(served.server.Port(), "127.0.0.2");
            if (fd >= 0) ::send(fd, "GET / HTTP/1.1\r\n", 16, MSG_NOSIGNAL);
            held.push_back(fd);
            if (held.size() > 80) {
                for (int h : held) ::close(h);
                held.clear();
            }
        }
        for (int h : held) ::close(h);
    });
    int served200 = 0;
    for (int i = 0; i < 20; ++i)
        served200 += served.Exchange(Get("/api/state", Bearer(kToken))).starts_with("HTTP/1.1 200");
    flooding = false;
    flood.join();
    EXPECT_EQ(served200, 20);
}

TEST(DashboardServer, ClientsThatNeverReadTheBaseMapKeepMemoryBoundedAndAreDropped) {
    auto map = basemap::LoadBaseMap(SIRENWATCH_SOURCE_DIR "/data/basemap.txt");
    ASSERT_TRUE(map.has_value());
    Served served(kToken, "127.0.0.1", [](ServerSettings& s) {
        s.writeTimeout = 5s;
        s.stallGrace = 100ms;
    });
    served.server.SetBaseMap(std::make_shared<const basemap::BaseMap>(std::move(*map)));
    ASSERT_TRUE(served.server.Start().has_value());
    const std::size_t before = PeakResidentMiB();
    const std::string ask = Get("/api/basemap", Bearer(kToken));
    std::vector<int> stalled;
    for (int i = 0; i < 300; ++i) {
        const int fd = Connect(served.server.Port(), "127.0.0.2", 4096);
        if (fd >= 0) ::send(fd, ask.data(), ask.size(), MSG_NOSIGNAL);
        stalled.push_back(fd);
    }
    ASSERT_TRUE(served.WaitFor([&] { return served.server.OpenConnections() > 0; }));
    const std::string polite = served.Exchange(ask);
    EXPECT_TRUE(polite.starts_with("HTTP/1.1 200"));
    EXPECT_GT(polite.size(), 1'000'000u);
    // From the stalled readers' own address too, once they have stalled: the longest stalled
    // one makes room.
    // (A loaded machine fills the readers' buffers slowly: they count as stalled only then.)
    EXPECT_TRUE(served.WaitFor(
        [&] { return served.Exchange(ask, "127.0.0.2").starts_with("HTTP/1.1 200"); }, 20s));
    // The slow readers are dropped at the write deadline.
    EXPECT_TRUE(served.WaitFor([&] { return served.server.OpenConnections() == 0; }, 20s));
    const std::size_t peak = PeakResidentMiB();
    std::cout << "peak resident memory: " << before << " MiB before the stalled readers, " << peak
              << " MiB with them\n";
    // Each stalled reader costing the base map's 3 MB would be 900 MiB more.
    EXPECT_LT(peak - before, 150u);
    for (int fd : stalled) ::close(fd);
}

}  // namespace
}  // namespace dashboard
