// Connection keeping for the TCP feeds.
#include "qt_host/feeds/SocketFeed.h"

#include <algorithm>

namespace qt_host::feeds {

SocketFeed::SocketFeed(QString host, quint16 port, QObject* parent)
    : Feed(parent), host_(std::move(host)), port_(port), socket_(this) {
    retry_.setSingleShot(true);
    connectTimeout_.setSingleShot(true);
    connect(&retry_, &QTimer::timeout, this, &SocketFeed::Connect);
    connect(&connectTimeout_, &QTimer::timeout, this, [this] { Lost("no answer"); });
    connect(&socket_, &QTcpSocket::connected, this, &SocketFeed::Connected);
    connect(&socket_, &QTcpSocket::readyRead, this, &SocketFeed::ReadAvailable);
    connect(&socket_, &QTcpSocket::disconnected, this, [this] { Lost("connection closed"); });
    connect(&socket_, &QTcpSocket::errorOccurred, this,
            [this](QAbstractSocket::SocketError) { Lost(socket_.errorString()); });
}

// A socket closing as it is destroyed still signals: by then the derived feed is gone.
SocketFeed::~SocketFeed() {
    socket_.disconnect(this);
}

void SocketFeed::Start() {
    Connect();
}

QString SocketFeed::Describe() const {
    const QString host = host_.contains(':') ? "[" + host_ + "]" : host_;
    return QString("%1 %2:%3").arg(Protocol(), host).arg(port_);
}

void SocketFeed::Connect() {
    SetStatus(Describe() + ": connecting");
    socket_.abort();
    connectTimeout_.start(kConnectTimeout_ms);
    socket_.connectToHost(host_, port_);
}

void SocketFeed::Connected() {
    connectTimeout_.stop();
    // Frames are small and an alarm should not wait for more bytes to fill a segment.
    socket_.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    SetStatus(Describe() + ": connected");
    LinkUp();
    OnConnected();
}

void SocketFeed::ReadAvailable() {
    retryDelay_ms_ = kFirstRetry_ms;  // the link works: a later drop starts the delays over
    while (socket_.bytesAvailable() > 0) {
        const QByteArray chunk = socket_.read(4096);
        if (chunk.isEmpty()) break;
        NoteActivity();
        OnBytes(std::string_view(chunk.constData(), static_cast<std::size_t>(chunk.size())));
    }
}

void SocketFeed::Drop(const QString& reason) {
    Lost(reason);
    socket_.abort();
}

// Both errorOccurred and disconnected may report one loss; the first one schedules the retry.
void SocketFeed::Lost(const QString& reason) {
    if (retry_.isActive()) return;
    connectTimeout_.stop();
    OnConnectionLost();
    const int delay = retryDelay_ms_;
    retryDelay_ms_ = std::min(retryDelay_ms_ * 2, kMaxRetry_ms);
    SetStatus(QString("%1: %2, retrying in %3 s").arg(Describe(), reason).arg(delay / 1000.0));
    LinkDown(reason);
    retry_.start(delay);
}

}  // namespace qt_host::feeds
