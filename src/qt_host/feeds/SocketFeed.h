// A TCP feed that keeps itself connected: a refused or dropped connection is tried again
// after 1, 2, 4 ... seconds, at most 30, and the delay starts over once data arrives.
#pragma once

#include <QTcpSocket>
#include <QTimer>
#include <string_view>

#include "qt_host/feeds/Feed.h"

namespace qt_host::feeds {

class SocketFeed : public Feed {
    Q_OBJECT
public:
    static constexpr int kFirstRetry_ms = 1000;
    static constexpr int kMaxRetry_ms = 30000;
    static constexpr int kConnectTimeout_ms = 15000;

    SocketFeed(QString host, quint16 port, QObject* parent = nullptr);
    ~SocketFeed() override;

    void Start() override;
    QString Describe() const override;

protected:
    // A connection is up (a login goes out here).
    virtual void OnConnected() {}
    // Bytes as they arrive, cut anywhere.
    virtual void OnBytes(std::string_view bytes) = 0;
    // The connection is gone: drop whatever half-received frame or line is pending.
    virtual void OnConnectionLost() {}
    virtual QString Protocol() const = 0;

    QTcpSocket& Socket() { return socket_; }
    // Ends the link because of what the peer sent; it is made again as after a drop.
    void Drop(const QString& reason);

private:
    void Connect();
    void Connected();
    void ReadAvailable();
    void Lost(const QString& reason);

    QString host_;
    quint16 port_;
    QTcpSocket socket_;
    QTimer retry_;
    QTimer connectTimeout_;
    int retryDelay_ms_ = kFirstRetry_ms;
};

}  // namespace qt_host::feeds
