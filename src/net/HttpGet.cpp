#include "net/HttpGet.h"

#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/ssl.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/ssl.hpp>
#include <boost/beast/version.hpp>
#include <memory>
#include <optional>

namespace net {
namespace {

namespace beast = boost::beast;
namespace http = beast::http;
namespace ssl = boost::asio::ssl;
using tcp = boost::asio::ip::tcp;

struct Url {
    bool secure = false;
    std::string host, port, target;
};

std::optional<Url> ParseUrl(const std::string& text) {
    Url url;
    std::string rest;
    if (text.rfind("https://", 0) == 0) {
        url.secure = true;
        rest = text.substr(8);
    } else if (text.rfind("http://", 0) == 0) {
        rest = text.substr(7);
    } else {
        return std::nullopt;
    }
    const auto slash = rest.find('/');
    std::string authority = rest.substr(0, slash);
    url.target = slash == std::string::npos ? "/" : rest.substr(slash);
    const auto colon = authority.rfind(':');
    url.port = url.secure ? "443" : "80";
    if (colon != std::string::npos && authority.find(']') == std::string::npos) {
        url.port = authority.substr(colon + 1);
        authority.resize(colon);
    }
    url.host = authority;
    if (url.host.empty() || url.port.empty()) return std::nullopt;
    return url;
}

// One exchange over `Stream` (a TCP stream, or TLS over one): resolve, connect, (handshake),
// write, read, each under the one deadline; the answer crosses to the UI thread once.
template <typename Stream>
class Exchange : public std::enable_shared_from_this<Exchange<Stream>> {
public:
    template <typename... StreamArgs>
    Exchange(boost::asio::io_context& io, UiQueue& ui, Url url, HttpGetRequest request,
             std::function<void(HttpGetAnswer)> done, StreamArgs&&... args)
        : resolver_(io),
          stream_(std::forward<StreamArgs>(args)...),
          ui_(ui),
          url_(std::move(url)),
          request_(std::move(request)),
          done_(std::move(done)) {}

    void Start() {
        Layer().expires_after(request_.timeout);
        resolver_.async_resolve(url_.host, url_.port,
                                [self = this->shared_from_this()](beast::error_code e, auto found) {
                                    self->Resolved(e, found);
                                });
    }

private:
    beast::tcp_stream& Layer() { return beast::get_lowest_layer(stream_); }

    void Resolved(beast::error_code e, const tcp::resolver::results_type& found) {
        if (e) return Finish(Failed("cannot find " + url_.host + ": " + e.message()));
        Layer().async_connect(found, [self = this->shared_from_this()](
                                         beast::error_code e, const auto&) { self->Connected(e); });
    }

    void Connected(beast::error_code e) {
        if (e) return Finish(Failed("cannot connect to " + url_.host + ": " + e.message()));
        if constexpr (std::is_same_v<Stream, beast::ssl_stream<beast::tcp_stream>>) {
            // The name the certificate must carry, and the name the server picks it by.
            stream_.set_verify_callback(ssl::host_name_verification(url_.host));
            if (!SSL_set_tlsext_host_name(stream_.native_handle(), url_.host.c_str()))
                return Finish(Failed("cannot name the server " + url_.host));
            stream_.async_handshake(
                ssl::stream_base::client, [self = this->shared_from_this()](beast::error_code e) {
                    if (e)
                        return self->Finish(self->Failed("no secure link to " + self->url_.host +
                                                         ": " + e.message()));
                    self->Send();
                });
        } else {
            Send();
        }
    }

    void Send() {
        message_ = {http::verb::get, url_.target, 11};
        message_.set(http::field::host, url_.host);
        message_.set(http::field::user_agent, request_.userAgent);
        http::async_write(stream_, message_,
                          [self = this->shared_from_this()](beast::error_code e, std::size_t) {
                              if (e)
                                  return self->Finish(self->Failed("cannot ask: " + e.message()));
                              self->Receive();
                          });
    }

    void Receive() {
        parser_.body_limit(request_.maxBody);
        http::async_read(stream_, buffer_, parser_,
                         [self = this->shared_from_this()](beast::error_code e, std::size_t) {
                             self->Received(e);
                         });
    }

    void Received(beast::error_code e) {
        if (e) return Finish(Failed("no whole answer: " + e.message()));
        HttpGetAnswer answer;
        answer.status = static_cast<int>(parser_.get().result_int());
        answer.ok = answer.status == 200;
        if (!answer.ok) answer.problem = "the server answered " + std::to_string(answer.status);
        answer.body = std::move(parser_.get().body());
        Finish(std::move(answer));
    }

    HttpGetAnswer Failed(std::string problem) const {
        HttpGetAnswer answer;
        answer.problem = std::move(problem);
        return answer;
    }

    void Finish(HttpGetAnswer answer) {
        beast::error_code ignored;
        Layer().socket().shutdown(tcp::socket::shutdown_both, ignored);
        ui_.Post([done = std::move(done_), answer = std::move(answer)]() mutable {
            done(std::move(answer));
        });
    }

    tcp::resolver resolver_;
    Stream stream_;
    UiQueue& ui_;
    Url url_;
    HttpGetRequest request_;
    std::function<void(HttpGetAnswer)> done_;
    beast::flat_buffer buffer_;
    http::request<http::empty_body> message_;
    http::response_parser<http::string_body> parser_;
};

// The system's trusted authorities, loaded once.
std::shared_ptr<ssl::context> ClientContext() {
    static const auto context = [] {
        auto c = std::make_shared<ssl::context>(ssl::context::tls_client);
        c->set_default_verify_paths();
        c->set_verify_mode(ssl::verify_peer);
        return c;
    }();
    return context;
}

}  // namespace

void HttpGet(boost::asio::io_context& io, UiQueue& ui, HttpGetRequest request,
             std::function<void(HttpGetAnswer)> done) {
    auto url = ParseUrl(request.url);
    if (!url) {
        ui.Post([done = std::move(done), text = request.url] {
            done({false, 0, {}, "not a web address: " + text});
        });
        return;
    }
    if (url->secure) {
        // The context lives as long as the exchanges that use it: it is kept for the program.
        auto context = ClientContext();
        std::make_shared<Exchange<beast::ssl_stream<beast::tcp_stream>>>(
            io, ui, std::move(*url), std::move(request), std::move(done), io, *context)
            ->Start();
    } else {
        std::make_shared<Exchange<beast::tcp_stream>>(io, ui, std::move(*url), std::move(request),
                                                      std::move(done), io)
            ->Start();
    }
}

}  // namespace net
