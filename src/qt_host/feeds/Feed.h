// A source of TNC2 monitor lines for the built-in host, running on the Qt event loop.
// Every transport (socket, file, standard input) hands lines on through the same callbacks.
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <string>

namespace qt_host::feeds {

class Feed : public QObject {
    Q_OBJECT
public:
    using LineHandler = std::function<void(const std::string& tnc2Line)>;
    using StatusHandler = std::function<void(const QString& status)>;
    using EndHandler = std::function<void()>;
    using ActivityHandler = std::function<void()>;
    using LinkHandler = std::function<void(bool up, const QString& reason)>;

    explicit Feed(QObject* parent = nullptr) : QObject(parent) {}

    void SetLineHandler(LineHandler handler) { onLine_ = std::move(handler); }
    // Told whenever the state of the feed changes ("connected to ...", "retrying in 2 s").
    void SetStatusHandler(StatusHandler handler) { onStatus_ = std::move(handler); }
    // Told once when a feed with an end (a file, standard input) has delivered its last line.
    void SetEndHandler(EndHandler handler) { onEnd_ = std::move(handler); }
    // Told whenever anything arrives, traffic or not (an APRS-IS server comment counts):
    // what the silence watchdog listens to.
    void SetActivityHandler(ActivityHandler handler) { onActivity_ = std::move(handler); }
    // Told when the link goes down (refused, lost, a device gone; the reason in words) and
    // when it is up again, once each way. A file or standard input has no link to lose.
    void SetLinkHandler(LinkHandler handler) { onLink_ = std::move(handler); }

    virtual void Start() = 0;
    // What the feed reads from, for status texts ("KISS 127.0.0.1:8001").
    virtual QString Describe() const = 0;

    const QString& Status() const { return status_; }

protected:
    // Hands one line on; whatever the receiver throws stays here.
    void DeliverLine(const std::string& line);
    void SetStatus(const QString& status);
    void Finish();
    void NoteActivity();
    void LinkUp();
    void LinkDown(const QString& reason);

private:
    LineHandler onLine_;
    StatusHandler onStatus_;
    EndHandler onEnd_;
    ActivityHandler onActivity_;
    LinkHandler onLink_;
    bool linkDown_ = false;
    QString status_;
    bool finished_ = false;
};

}  // namespace qt_host::feeds
