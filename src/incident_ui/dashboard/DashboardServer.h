// The dashboard's web server, on the program's event loop: a fixed set of page files, the
// state as JSON, its changes as Server-Sent Events, and operators' actions.
//
// A small HTTP/1.1 handler over QTcpServer rather than Qt's HTTP server: Qt 6.4's has no
// bound on how long a request may take or how large its body may grow, and both are needed
// here. One request per connection (Connection: close), except the event stream.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>
#include <optional>
#include <vector>

#include "incident_ui/dashboard/DashboardSource.h"
#include "incident_ui/dashboard/HttpRequest.h"
#include "platform/Result.h"

class QTcpServer;
class QTcpSocket;

namespace basemap {
struct BaseMap;
}

namespace incident_ui::dashboard {

struct ServerSettings {
    QHostAddress address = QHostAddress::LocalHost;
    quint16 port = 0;  // 0: any free port (tests)
    // Needed to listen beyond loopback, and for every action everywhere; with none, actions
    // are refused. Never logged.
    QString token;
    QString pageFolder;  // the page's files: index.html, dashboard.js... and vendor/leaflet/
    QString tileUrl;     // online tiles under the base map; empty: the page asks nothing online
    QString tileAttribution;
    int maxRequestBytes = 16 * 1024;
    int requestTimeout_ms = 10000;
    int maxConnections = 64;
    int maxStreams = 16;
    int pushDelay_ms = 300;            // changes are gathered this long before they are sent
    int keepAlive_ms = 25000;          // a comment on idle streams, so proxies keep them open
    qint64 maxBacklogBytes = 1 << 20;  // a stream that falls this far behind is dropped
};

// Whether an address keeps the dashboard on this machine.
bool IsLoopback(const QHostAddress& address);

class DashboardServer final : public QObject {
    Q_OBJECT
public:
    DashboardServer(Source& source, ServerSettings settings, QObject* parent = nullptr);
    ~DashboardServer() override;

    void SetBaseMap(std::shared_ptr<const basemap::BaseMap> map);
    // Loads the page and listens; a problem when it cannot (the token is never in it).
    platform::Result<void> Start();
    quint16 Port() const;
    QString Url() const;  // "http://127.0.0.1:8080/"

private:
    void Accept();
    void Read(QTcpSocket* socket);
    void Handle(QTcpSocket* socket, const HttpRequest& request);
    void Reply(QTcpSocket* socket, int status, const QByteArray& type, const QByteArray& body);
    void OpenStream(QTcpSocket* socket);
    void Push();
    void KeepAlive();
    bool TokenMatches(const QByteArray& given) const;
    QByteArray StateJson() const;
    QByteArray ActionReply(const QByteArray& body, int* status);

    Source& source_;
    ServerSettings settings_;
    QTcpServer* server_;
    QHash<QByteArray, std::pair<QByteArray, QByteArray>> files_;  // path: type, content
    QByteArray baseMapJson_;
    QHash<QTcpSocket*, QByteArray> pending_;  // what each open request has sent so far
    std::vector<QTcpSocket*> streams_;
    QTimer pushTimer_, keepAliveTimer_;
};

}  // namespace incident_ui::dashboard
