// The dashboard's HTTP/1.1 handler: bounded requests, a fixed set of files, the token.
#include "incident_ui/dashboard/DashboardServer.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>
#include <QUrlQuery>
#include <algorithm>
#include <exception>

#include "incident_ui/dashboard/DashboardJson.h"

namespace incident_ui::dashboard {

namespace {

constexpr int kMaxOperatorChars = 64;
constexpr int kMaxNoteChars = 2000;

// The page's own files, by the only paths that reach them.
struct PageFile {
    const char* path;
    const char* file;
    const char* type;
};
constexpr PageFile kPageFiles[] = {
    {"/", "index.html", "text/html; charset=utf-8"},
    {"/dashboard.js", "dashboard.js", "text/javascript; charset=utf-8"},
    {"/dashboard.css", "dashboard.css", "text/css; charset=utf-8"},
    {"/vendor/leaflet/leaflet.js", "vendor/leaflet/leaflet.js", "text/javascript; charset=utf-8"},
    {"/vendor/leaflet/leaflet.css", "vendor/leaflet/leaflet.css", "text/css; charset=utf-8"},
    {"/vendor/leaflet/LICENSE", "vendor/leaflet/LICENSE", "text/plain; charset=utf-8"},
};

QByteArray StatusText(int status) {
    switch (status) {
        case 200:
            return "OK";
        case 400:
            return "Bad Request";
        case 401:
            return "Unauthorized";
        case 403:
            return "Forbidden";
        case 404:
            return "Not Found";
        case 405:
            return "Method Not Allowed";
        case 408:
            return "Request Timeout";
        case 409:
            return "Conflict";
        case 413:
            return "Content Too Large";
        case 415:
            return "Unsupported Media Type";
        case 501:
            return "Not Implemented";
        case 503:
            return "Service Unavailable";
        default:
            return "Error";
    }
}

QByteArray ErrorJson(const QString& message) {
    return SafeJson({{"error", message}});
}

// The tile server's origin, for the page's content policy; empty without tiles.
QByteArray TileOrigin(const QString& tileUrl) {
    if (tileUrl.isEmpty()) return {};
    QString url = tileUrl;
    url.replace("{z}", "0").replace("{x}", "0").replace("{y}", "0").replace("{s}", "a");
    const QUrl parsed(url);
    if (!parsed.isValid() || (parsed.scheme() != "https" && parsed.scheme() != "http")) return {};
    QString host = parsed.host();
    if (tileUrl.contains("{s}")) host = "*." + host.section('.', 1);
    return (parsed.scheme() + "://" + host).toUtf8();
}

std::optional<ActionKind> ParseKind(const QString& text) {
    if (text == "acknowledge") return ActionKind::Acknowledge;
    if (text == "take") return ActionKind::Take;
    if (text == "note") return ActionKind::Note;
    if (text == "close") return ActionKind::Close;
    if (text == "take_over") return ActionKind::TakeOver;
    if (text == "release") return ActionKind::Release;
    return std::nullopt;
}

// "localhost", "127.0.0.1", "[::1]", with or without a port.
bool LocalName(const QByteArray& host) {
    QByteArray name = host.toLower();
    if (name.startsWith('[')) {
        name = name.mid(1, name.indexOf(']') - 1);
    } else if (const qsizetype colon = name.lastIndexOf(':'); colon >= 0) {
        name = name.left(colon);
    }
    return name == "localhost" || QHostAddress(QString::fromLatin1(name)).isLoopback();
}

}  // namespace

bool IsLoopback(const QHostAddress& address) {
    return address.isLoopback();
}

DashboardServer::DashboardServer(Source& source, ServerSettings settings, QObject* parent)
    : QObject(parent),
      source_(source),
      settings_(std::move(settings)),
      server_(new QTcpServer(this)) {
    connect(server_, &QTcpServer::newConnection, this, &DashboardServer::Accept);
    pushTimer_.setSingleShot(true);
    pushTimer_.setInterval(settings_.pushDelay_ms);
    connect(&pushTimer_, &QTimer::timeout, this, &DashboardServer::Push);
    keepAliveTimer_.setInterval(settings_.keepAlive_ms);
    connect(&keepAliveTimer_, &QTimer::timeout, this, &DashboardServer::KeepAlive);
    source_.SetChangeListener([this] {
        if (!pushTimer_.isActive()) pushTimer_.start();
    });
}

DashboardServer::~DashboardServer() {
    source_.SetChangeListener(nullptr);
}

void DashboardServer::SetBaseMap(std::shared_ptr<const basemap::BaseMap> map) {
    baseMapJson_ = map ? SafeJson(BaseMapGeoJson(*map))
                       : SafeJson({{"type", "FeatureCollection"}, {"features", QJsonArray()}});
}

platform::Result<void> DashboardServer::Start() {
    const auto fail = [](const QString& why) { return platform::Fail(why.toStdString()); };
    if (!IsLoopback(settings_.address) && settings_.token.isEmpty())
        return fail("the dashboard listens beyond this machine (" + settings_.address.toString() +
                    ") only with an access token: set DashboardToken in the host's settings, or "
                    "leave the address out to listen on loopback");
    for (const PageFile& page : kPageFiles) {
        QFile file(settings_.pageFolder + "/" + page.file);
        if (!file.open(QIODevice::ReadOnly))
            return fail("the dashboard's page is missing " + file.fileName() + ": " +
                        file.errorString());
        files_.insert(page.path, {page.type, file.readAll()});
    }
    if (baseMapJson_.isEmpty()) SetBaseMap(nullptr);
    if (!server_->listen(settings_.address, settings_.port))
        return fail("the dashboard cannot listen on " + settings_.address.toString() + " port " +
                    QString::number(settings_.port) + ": " + server_->errorString());
    keepAliveTimer_.start();
    return {};
}

quint16 DashboardServer::Port() const {
    return server_->serverPort();
}

QString DashboardServer::Url() const {
    const QHostAddress a = server_->serverAddress();
    const QString host =
        a.protocol() == QAbstractSocket::IPv6Protocol ? "[" + a.toString() + "]" : a.toString();
    return "http://" + host + ":" + QString::number(Port()) + "/";
}

void DashboardServer::Accept() {
    while (QTcpSocket* socket = server_->nextPendingConnection()) {
        socket->setParent(this);
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QObject::destroyed, this, [this, socket] {
            pending_.remove(socket);
            std::erase(streams_, socket);
        });
        if (pending_.size() + int(streams_.size()) >= settings_.maxConnections) {
            Reply(socket, 503, "application/json", ErrorJson("too many connections"));
            continue;
        }
        pending_.insert(socket, {});
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { Read(socket); });
        // A request that does not arrive whole in time is answered and dropped.
        QTimer::singleShot(settings_.requestTimeout_ms, socket, [this, socket] {
            if (pending_.contains(socket))
                Reply(socket, 408, "application/json", ErrorJson("request took too long"));
        });
    }
}

void DashboardServer::Read(QTcpSocket* socket) {
    if (!pending_.contains(socket)) {
        socket->readAll();  // a stream or a finished request: nothing more is read
        return;
    }
    QByteArray& buffer = pending_[socket];
    buffer += socket->read(settings_.maxRequestBytes + 1 - buffer.size());
    const HttpParse parse =
        ParseHttpRequest(std::string_view(buffer.constData(), std::size_t(buffer.size())),
                         std::size_t(settings_.maxRequestBytes));
    if (parse.outcome == HttpParse::Outcome::Incomplete) return;
    if (parse.outcome == HttpParse::Outcome::Refused)
        return Reply(socket, parse.status, "application/json",
                     ErrorJson(QString::fromStdString(parse.reason)));
    pending_.remove(socket);
    try {
        Handle(socket, parse.request);
    } catch (const std::exception& error) {  // the event loop goes on; the page is told
        Reply(socket, 500, "application/json", ErrorJson(QString("failed: ") + error.what()));
    }
}

bool DashboardServer::TokenMatches(const QByteArray& given) const {
    const QByteArray expected = settings_.token.toUtf8();
    if (expected.isEmpty() || given.size() != expected.size()) return false;
    unsigned char difference = 0;  // the same time whichever byte differs
    for (qsizetype i = 0; i < given.size(); ++i)
        difference |= static_cast<unsigned char>(given[i] ^ expected[i]);
    return difference == 0;
}

void DashboardServer::Handle(QTcpSocket* socket, const HttpRequest& request) {
    const QByteArray path = QByteArray::fromStdString(request.path);
    const QByteArray given = request.headers.contains("x-sirenwatch-token")
                                 ? QByteArray::fromStdString(request.Header("x-sirenwatch-token"))
                                 : QUrlQuery(QString::fromStdString(request.query))
                                       .queryItemValue("token", QUrl::FullyDecoded)
                                       .toUtf8();
    const std::string& method = request.method;
    const bool isGet = method == "GET";
    const auto notAllowed = [&] {
        Reply(socket, 405, "application/json", ErrorJson("method not allowed"));
    };

    if (files_.contains(path)) {
        if (!isGet) return notAllowed();
        const auto& [type, content] = files_.value(path);
        return Reply(socket, 200, type, content);
    }
    const bool api = path == "/api/state" || path == "/api/events" || path == "/api/basemap" ||
                     path == "/api/action";
    if (!api) return Reply(socket, 404, "application/json", ErrorJson("no such page"));
    // Without a token only this machine's own names may ask, so a web site that makes its
    // name point here (DNS rebinding) cannot read the watch through a visitor's browser.
    if (settings_.token.isEmpty() && !LocalName(QByteArray::fromStdString(request.Header("host"))))
        return Reply(socket, 403, "application/json",
                     ErrorJson("without an access token only localhost may ask"));
    // With a token set, what the watcher knows is shown only to those who hold it.
    if (!settings_.token.isEmpty() && !TokenMatches(given))
        return Reply(socket, given.isEmpty() ? 401 : 403, "application/json",
                     ErrorJson(given.isEmpty() ? "the access token is missing"
                                               : "the access token is wrong"));
    if (path == "/api/action") {
        if (method != "POST") return notAllowed();
        if (settings_.token.isEmpty())
            return Reply(socket, 403, "application/json",
                         ErrorJson("actions need an access token: set DashboardToken in the "
                                   "host's settings"));
        if (!request.Header("content-type").starts_with("application/json"))
            return Reply(socket, 415, "application/json", ErrorJson("send JSON"));
        int status = 200;
        const QByteArray reply = ActionReply(QByteArray::fromStdString(request.body), &status);
        return Reply(socket, status, "application/json", reply);
    }
    if (!isGet) return notAllowed();
    if (path == "/api/state") return Reply(socket, 200, "application/json", StateJson());
    if (path == "/api/basemap") return Reply(socket, 200, "application/geo+json", baseMapJson_);
    OpenStream(socket);
}

QByteArray DashboardServer::ActionReply(const QByteArray& body, int* status) {
    QJsonParseError error{};
    const QJsonObject request = QJsonDocument::fromJson(body, &error).object();
    Action action;
    const auto kind = ParseKind(request.value("action").toString());
    action.incident = request.value("incident").toString().toStdString();
    const QString operatorName = request.value("operator").toString().trimmed();
    const QString note = request.value("note").toString().trimmed();
    QString problem;
    if (error.error != QJsonParseError::NoError || !kind)
        problem =
            "expected {\"action\": \"acknowledge\"|\"take\"|\"take_over\"|\"release\"|"
            "\"note\"|\"close\", ...}";
    else if (operatorName.size() > kMaxOperatorChars || note.size() > kMaxNoteChars)
        problem = "the operator's name or the note is too long";
    if (!problem.isEmpty()) {
        *status = 400;
        return ErrorJson(problem);
    }
    action.kind = *kind;
    action.operatorName = operatorName.toStdString();
    action.note = note.toStdString();
    const ActionResult result = source_.Act(action);
    *status = result ? 200 : 409;
    if (!result) return ErrorJson(QString::fromStdString(result.error().text));
    return SafeJson({{"ok", true}});
}

QByteArray DashboardServer::StateJson() const {
    QJsonObject state = SnapshotJson(source_.Current());
    state["tileUrl"] = settings_.tileUrl;
    state["tileAttribution"] = settings_.tileAttribution;
    state["actions"] = !settings_.token.isEmpty();
    return SafeJson(state);
}

void DashboardServer::Reply(QTcpSocket* socket, int status, const QByteArray& type,
                            const QByteArray& body) {
    pending_.remove(socket);
    QByteArray head = "HTTP/1.1 " + QByteArray::number(status) + " " + StatusText(status) +
                      "\r\nContent-Type: " + type +
                      "\r\nContent-Length: " + QByteArray::number(body.size()) +
                      "\r\nConnection: close\r\nCache-Control: no-store"
                      "\r\nX-Content-Type-Options: nosniff\r\nX-Frame-Options: DENY"
                      "\r\nReferrer-Policy: no-referrer"
                      "\r\nContent-Security-Policy: default-src 'none'; script-src 'self'; "
                      "style-src 'self'; connect-src 'self'; img-src 'self' data: " +
                      TileOrigin(settings_.tileUrl) +
                      "; base-uri 'none'; form-action 'none'; frame-ancestors 'none'\r\n";
    if (status == 405) head += "Allow: GET, POST\r\n";
    socket->write(head + "\r\n" + body);
    socket->disconnectFromHost();
}

void DashboardServer::OpenStream(QTcpSocket* socket) {
    if (int(streams_.size()) >= settings_.maxStreams)
        return Reply(socket, 503, "application/json", ErrorJson("too many open pages"));
    socket->write(
        "HTTP/1.1 200 OK\r\nContent-Type: text/event-stream\r\nCache-Control: no-store\r\n"
        "X-Content-Type-Options: nosniff\r\nConnection: keep-alive\r\n\r\nretry: 3000\n\n"
        "event: state\ndata: " +
        StateJson() + "\n\n");
    streams_.push_back(socket);
}

void DashboardServer::Push() {
    if (streams_.empty()) return;
    const QByteArray message = "event: state\ndata: " + StateJson() + "\n\n";
    for (QTcpSocket* socket : std::vector<QTcpSocket*>(streams_)) {
        if (socket->bytesToWrite() > settings_.maxBacklogBytes) {
            socket->abort();  // a page that does not read any more: it reconnects when it can
            continue;
        }
        socket->write(message);
    }
}

void DashboardServer::KeepAlive() {
    for (QTcpSocket* socket : streams_) socket->write(": still here\n\n");
}

}  // namespace incident_ui::dashboard
