// KISS over a serial line to monitor lines, reopening the line while the TNC is away.
#include "qt_host/feeds/SerialKissFeed.h"

#include <QFileInfo>

#include "decode/Ax25.h"

namespace qt_host::feeds {

namespace {

// Why the line cannot be used, in words of our own: the port's own text may be a stale system
// error ("File exists" from its lock file) rather than the reason.
QString SerialProblem(const QString& device, QSerialPort::SerialPortError error,
                      const QString& portText) {
    if (!QFileInfo::exists(device)) return "no such device (unplugged?)";
    switch (error) {
        case QSerialPort::DeviceNotFoundError:
            return "no such device (unplugged?)";
        case QSerialPort::PermissionError:
            return "permission denied, or the device is in use by another program";
        case QSerialPort::ResourceError:
            return "the device stopped answering (unplugged?)";
        default:
            return portText;
    }
}

}  // namespace

SerialKissFeed::SerialKissFeed(QString device, qint32 baud, QObject* parent, int reopen_ms)
    : Feed(parent), device_(std::move(device)), baud_(baud), port_(this) {
    reopen_.setSingleShot(true);
    reopen_.setInterval(reopen_ms);
    connect(&reopen_, &QTimer::timeout, this, &SerialKissFeed::Open);
    connect(&port_, &QSerialPort::readyRead, this, &SerialKissFeed::ReadAvailable);
    connect(&port_, &QSerialPort::errorOccurred, this, &SerialKissFeed::Failed);
}

QString SerialKissFeed::Describe() const {
    return QString("KISS %1 at %2 bd").arg(device_).arg(baud_);
}

void SerialKissFeed::Open() {
    port_.setPortName(device_);
    port_.setBaudRate(baud_);
    port_.setDataBits(QSerialPort::Data8);
    port_.setParity(QSerialPort::NoParity);
    port_.setStopBits(QSerialPort::OneStop);
    port_.setFlowControl(QSerialPort::NoFlowControl);
    if (!port_.open(QIODevice::ReadOnly)) {
        CloseAndRetry(SerialProblem(device_, port_.error(), port_.errorString()));
        return;
    }
    port_.clearError();
    SetStatus(Describe() + ": open");
    LinkUp();
}

void SerialKissFeed::ReadAvailable() {
    while (port_.bytesAvailable() > 0) {
        const QByteArray chunk = port_.read(4096);
        if (chunk.isEmpty()) break;
        NoteActivity();
        for (const auto& frame : deframer_.Feed(
                 std::string_view(chunk.constData(), static_cast<std::size_t>(chunk.size())))) {
            if (auto line = decode::Ax25ToTnc2(frame))
                DeliverLine(*line);
            else
                ++notUi_;
        }
    }
}

// A device that goes away reports a resource error on its next read; closing it stops
// the port from signalling again and again while it is gone.
void SerialKissFeed::Failed(QSerialPort::SerialPortError error) {
    if (error == QSerialPort::NoError || error == QSerialPort::TimeoutError || !port_.isOpen())
        return;
    const QString reason = SerialProblem(device_, error, port_.errorString());
    QMetaObject::invokeMethod(
        this, [this, reason] { CloseAndRetry(reason); }, Qt::QueuedConnection);
}

void SerialKissFeed::CloseAndRetry(const QString& reason) {
    if (reopen_.isActive()) return;
    if (port_.isOpen()) port_.close();
    port_.clearError();
    deframer_ = {};
    SetStatus(QString("%1: %2, trying again every %3 s")
                  .arg(Describe(), reason)
                  .arg(reopen_.interval() / 1000.0));
    reopen_.start();
    LinkDown(reason);
}

}  // namespace qt_host::feeds
