// A tile fetch over HTTPS checks the server: one whose certificate no trusted authority signed
// is refused before anything is asked, and the answer still comes, once, on the UI thread.
#include <gtest/gtest.h>

#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/ssl.hpp>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <thread>

#include "net/HttpGet.h"
#include "net/IoThread.h"
#include "net/UiQueue.h"

namespace {

namespace ssl = boost::asio::ssl;
using tcp = boost::asio::ip::tcp;

// A key and a self-signed certificate for 127.0.0.1, made with the openssl command.
std::optional<std::filesystem::path> SelfSigned() {
    const auto folder = std::filesystem::temp_directory_path() / "sirenwatch-httpget-test";
    std::filesystem::create_directories(folder);
    const std::string command =
        "openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj "
        "/CN=127.0.0.1 -keyout '" +
        (folder / "key.pem").string() + "' -out '" + (folder / "cert.pem").string() +
        "' >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) return std::nullopt;
    return folder;
}

TEST(HttpGet, AServerWithASelfSignedCertificateIsRefused) {
    const auto files = SelfSigned();
    if (!files) GTEST_SKIP() << "no openssl command";
    net::IoThread loop;
    ssl::context serverContext(ssl::context::tls_server);
    serverContext.use_certificate_chain_file((*files / "cert.pem").string());
    serverContext.use_private_key_file((*files / "key.pem").string(), ssl::context::pem);
    tcp::acceptor acceptor(loop.Context(), {boost::asio::ip::make_address("127.0.0.1"), 0});
    tcp::socket peer(loop.Context());
    std::optional<ssl::stream<tcp::socket&>> tls;
    bool asked = false;
    acceptor.async_accept(peer, [&](boost::system::error_code e) {
        if (e) return;
        tls.emplace(peer, serverContext);
        tls->async_handshake(ssl::stream_base::server, [&](boost::system::error_code e) {
            asked = !e;  // the client went on past the handshake
        });
    });
    loop.Start();

    net::UiQueue ui;
    std::optional<net::HttpGetAnswer> answer;
    int answers = 0;
    const std::string url =
        "https://127.0.0.1:" + std::to_string(acceptor.local_endpoint().port()) + "/1/2/3.png";
    net::HttpGet(loop.Context(), ui, {.url = url, .timeout = std::chrono::seconds(10)},
                 [&](net::HttpGetAnswer a) {
                     answer = std::move(a);
                     ++answers;
                 });
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!answer && std::chrono::steady_clock::now() < end) {
        ui.Drain();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    loop.Stop();
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(answers, 1);
    EXPECT_FALSE(answer->ok);
    EXPECT_EQ(answer->status, 0);
    EXPECT_NE(answer->problem.find("no secure link to 127.0.0.1"), std::string::npos)
        << answer->problem;
    EXPECT_FALSE(asked);
}

TEST(HttpGet, WhatIsNotAWebAddressIsToldAtOnce) {
    net::IoThread loop;
    net::UiQueue ui;
    std::optional<net::HttpGetAnswer> answer;
    net::HttpGet(loop.Context(), ui, {.url = "file:///etc/passwd"},
                 [&](net::HttpGetAnswer a) { answer = std::move(a); });
    ui.Drain();
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(answer->problem, "not a web address: file:///etc/passwd");
}

}  // namespace
