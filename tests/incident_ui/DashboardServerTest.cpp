// The dashboard's server on loopback: what it refuses, what it serves, and its live stream.
#include <gtest/gtest.h>

#include <QTcpSocket>
#include <QTest>

#include "incident_ui/FakeSource.h"
#include "incident_ui/dashboard/DashboardServer.h"
#include "qt/QtWorld.h"

namespace incident_ui::dashboard {
namespace {

// Sends raw bytes and collects the answer until the server closes, as it does after each.
QByteArray Exchange(quint16 port, const QByteArray& request) {
    QTcpSocket socket;
    socket.connectToHost("127.0.0.1", port);
    if (socket.waitForConnected(2000)) socket.write(request);
    QByteArray answer;
    const bool closed = QTest::qWaitFor(
        [&] {
            answer += socket.readAll();
            return socket.state() == QAbstractSocket::UnconnectedState;
        },
        3000);
    EXPECT_TRUE(closed) << "the server keeps the link: " << answer.left(40).toStdString();
    return answer + socket.readAll();
}

QByteArray Get(const QByteArray& target, const QByteArray& extra = {}) {
    return "GET " + target + " HTTP/1.1\r\nHost: x\r\n" + extra + "\r\n";
}
// A POST of exactly `size` bytes, head and body, to the page (which only answers GET).
QByteArray PostOfSize(int size) {
    QByteArray head = "POST / HTTP/1.1\r\nContent-Length: 00000\r\n\r\n";
    const int body = size - int(head.size());
    head.replace("00000", QByteArray::number(body).rightJustified(5, '0'));
    return head + QByteArray(body, 'x');
}
QByteArray Post(const QByteArray& body, const QByteArray& token) {
    return "POST /api/action HTTP/1.1\r\nHost: x\r\nContent-Type: application/json\r\n" +
           (token.isEmpty() ? QByteArray() : "X-Sirenwatch-Token: " + token + "\r\n") +
           "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body;
}

struct Served {
    explicit Served(QString token = "secret", QHostAddress address = QHostAddress::LocalHost)
        : server(source, [&] {
              ServerSettings s;
              s.address = address;
              s.token = token;
              s.pageFolder = SIRENWATCH_SOURCE_DIR "/data/dashboard";
              s.requestTimeout_ms = 300;
              s.pushDelay_ms = 10;
              return s;
          }()) {
        IncidentView& i = source.snapshot.incidents.emplace_back();
        i.id = "Q1X";
        i.callsign = "Q1X<b>";
        i.evidence = "!EMERGENCY! <script>alert(1)</script>";
    }
    qttest::FakeSource source;
    DashboardServer server;
};

TEST(DashboardServer, RefusesWhatItMust) {
    Served served;
    ASSERT_TRUE(served.server.Start().has_value());
    const QByteArray take = R"({"action":"take","incident":"Q1X","operator":"Anna"})";
    struct Case {
        const char* what;
        QByteArray request;
        const char* status;
    };
    const Case cases[] = {
        {"state without the token", Get("/api/state"), "401"},
        {"state with a wrong token", Get("/api/state", "X-Sirenwatch-Token: secreT\r\n"), "403"},
        {"action without the token", Post(take, {}), "401"},
        {"action with a wrong token", Post(take, "secre"), "403"},
        {"action with a token wrong at its start", Post(take, "Secret"), "403"},
        {"operator's name too long",
         Post(R"({"action":"take","incident":"Q1X","operator":")" + QByteArray(65, 'a') + "\"}",
              "secret"),
         "400"},
        {"note too long",
         Post(R"({"action":"note","incident":"Q1X","note":")" + QByteArray(2001, 'a') + "\"}",
              "secret"),
         "400"},
        {"action by GET", Get("/api/action?token=secret"), "405"},
        {"page by POST", "POST / HTTP/1.1\r\nContent-Length: 0\r\n\r\n", "405"},
        {"one byte over the limit", PostOfSize(16 * 1024 + 1), "413"},
        {"just within the limit", PostOfSize(16 * 1024), "405"},
        {"a length that is no number", "POST / HTTP/1.1\r\nContent-Length: 1x\r\n\r\n", "400"},
        {"oversized head", "GET / HTTP/1.1\r\nX-Pad: " + QByteArray(17000, 'a'), "413"},
        {"parent folder", Get("/../CMakeLists.txt"), "404"},
        {"encoded parent folder", Get("/%2e%2e/%2e%2e/etc/passwd"), "404"},
        {"folder under the page", Get("/vendor/leaflet/../../index.html"), "404"},
        {"a file beside the page's", Get("/vendor/leaflet/VERSION"), "404"},
        {"a request that never ends", "GET / HTTP/1.1\r\n", "408"},
        {"not HTTP", "HELLO\r\n\r\n", "400"},
    };
    for (const Case& c : cases) {
        const QByteArray answer = Exchange(served.server.Port(), c.request);
        EXPECT_TRUE(answer.startsWith(QByteArray("HTTP/1.1 ") + c.status))
            << c.what << ": " << answer.left(40).toStdString();
    }
    EXPECT_TRUE(served.source.actions.empty());
}

TEST(DashboardServer, ServesThePageAndEscapedStateAndTakesActionsImagesOnlyFromItsTiles) {
    Served served;
    ASSERT_TRUE(served.server.Start().has_value());
    const QByteArray page = Exchange(served.server.Port(), Get("/"));
    EXPECT_TRUE(page.startsWith("HTTP/1.1 200"));
    EXPECT_TRUE(page.contains("Content-Security-Policy: default-src 'none'; script-src 'self'"));
    EXPECT_TRUE(page.contains("X-Content-Type-Options: nosniff"));
    EXPECT_TRUE(page.contains("dashboard.js"));
    EXPECT_TRUE(page.contains("img-src 'self' data: ;")) << "no tile server: images of its own";

    const QByteArray state = Exchange(served.server.Port(), Get("/api/state?token=secret"));
    EXPECT_TRUE(state.startsWith("HTTP/1.1 200"));
    EXPECT_FALSE(state.contains("<script")) << state.toStdString();
    EXPECT_FALSE(state.contains("<b>"));
    EXPECT_TRUE(state.contains(R"(\u003cscript\u003e)"));

    const QByteArray answer =
        Exchange(served.server.Port(),
                 Post(R"({"action":"take","incident":"Q1X","operator":"Anna"})", "secret"));
    EXPECT_TRUE(answer.startsWith("HTTP/1.1 200")) << answer.toStdString();
    ASSERT_EQ(served.source.actions.size(), 1u);
    EXPECT_EQ(served.source.actions[0].kind, ActionKind::Take);
    EXPECT_EQ(served.source.actions[0].operatorName, "Anna");
    // The hand-over's two actions, with the note.
    for (const auto& [name, kind] : {std::pair{"take_over", ActionKind::TakeOver},
                                     std::pair{"release", ActionKind::Release}}) {
        const QByteArray body = QByteArray(R"({"action":")") + name +
                                R"(","incident":"Q1X","operator":"Bea","note":"shift over"})";
        EXPECT_TRUE(Exchange(served.server.Port(), Post(body, "secret")).startsWith("HTTP/1.1 200"))
            << name;
        EXPECT_EQ(served.source.actions.back().kind, kind) << name;
        EXPECT_EQ(served.source.actions.back().note, "shift over") << name;
    }

    // With a tile server the page may load images from it, and only from it.
    ServerSettings settings;
    settings.pageFolder = SIRENWATCH_SOURCE_DIR "/data/dashboard";
    settings.tileUrl = "https://{s}.tiles.example.org/{z}/{x}/{y}.png";
    DashboardServer tiled(served.source, settings);
    ASSERT_TRUE(tiled.Start().has_value());
    EXPECT_TRUE(Exchange(tiled.Port(), Get("/"))
                    .contains("img-src 'self' data: https://*.tiles.example.org;"));
}

TEST(DashboardServer, WithoutATokenActionsAreOffAndOnlyLocalNamesRead) {
    Served served("");
    ASSERT_TRUE(served.server.Start().has_value());
    struct Case {
        QByteArray request;
        const char* status;
    };
    const Case cases[] = {
        {Post(R"({"action":"acknowledge","incident":"Q1X"})", "x"), "403"},
        {Get("/api/state").replace("Host: x", "Host: localhost:8080"), "200"},
        {Get("/api/state").replace("Host: x", "Host: [::1]:8080"), "200"},
        {Get("/api/state").replace("Host: x", "Host: 127.0.0.1"), "200"},
        {Get("/api/state").replace("Host: x", "Host: sirenwatch.example.org:8080"), "403"},
    };
    for (const Case& c : cases) {
        const QByteArray answer = Exchange(served.server.Port(), c.request);
        EXPECT_TRUE(answer.startsWith(QByteArray("HTTP/1.1 ") + c.status))
            << c.request.left(60).toStdString() << " -> " << answer.left(40).toStdString();
    }
    EXPECT_TRUE(served.source.actions.empty());
}

TEST(DashboardServer, BeyondLoopbackOnlyWithAToken) {
    Served open("", QHostAddress::AnyIPv4);
    const auto refused = open.server.Start();
    ASSERT_FALSE(refused);
    EXPECT_TRUE(refused.error().text.find("DashboardToken") != std::string::npos);
    // With a token it goes on to listen: on an address of no interface here, which fails.
    Served guarded("secret", QHostAddress("192.0.2.1"));
    const auto failed = guarded.server.Start();
    ASSERT_FALSE(failed.has_value());
    EXPECT_EQ(failed.error().text.find("DashboardToken"), std::string::npos) << failed.error().text;
}

TEST(DashboardServer, StreamSendsTheStateThenEachChange) {
    Served served;
    ASSERT_TRUE(served.server.Start().has_value());
    QTcpSocket socket;
    socket.connectToHost("127.0.0.1", served.server.Port());
    ASSERT_TRUE(socket.waitForConnected(2000));
    socket.write(Get("/api/events?token=secret"));
    QByteArray received;
    const auto events = [&] { return (received += socket.readAll()).count("event: state"); };
    EXPECT_TRUE(QTest::qWaitFor([&] { return events() == 1; }, 3000));
    EXPECT_TRUE(received.contains("Content-Type: text/event-stream"));
    served.source.Changed();
    served.source.Changed();  // gathered into one message
    EXPECT_TRUE(QTest::qWaitFor([&] { return events() == 2; }, 3000));
}

}  // namespace
}  // namespace incident_ui::dashboard
