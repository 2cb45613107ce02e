// A hardware KISS TNC on a serial line (/dev/ttyUSB0 at a chosen speed, 8N1, no flow
// control). A TNC that is unplugged, or not there yet, is looked for again every few
// seconds, so plugging it back in resumes the watch.
#pragma once

#include <QSerialPort>
#include <QTimer>

#include "decode/Kiss.h"
#include "qt_host/feeds/Feed.h"

namespace qt_host::feeds {

class SerialKissFeed final : public Feed {
    Q_OBJECT
public:
    static constexpr int kReopen_ms = 3000;

    SerialKissFeed(QString device, qint32 baud, QObject* parent = nullptr,
                   int reopen_ms = kReopen_ms);

    void Start() override { Open(); }
    QString Describe() const override;

    // Frames thrown away: not a UI frame, unusable address, or too long.
    std::size_t Discarded() const { return deframer_.discarded() + notUi_; }

private:
    void Open();
    void ReadAvailable();
    void Failed(QSerialPort::SerialPortError error);
    void CloseAndRetry(const QString& reason);

    QString device_;
    qint32 baud_;
    QSerialPort port_;
    QTimer reopen_;
    decode::KissDeframer deframer_;
    std::size_t notUi_ = 0;
};

}  // namespace qt_host::feeds
