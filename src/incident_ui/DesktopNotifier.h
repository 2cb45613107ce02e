// Desktop notifications through the desktop's notification service (freedesktop.org
// Notifications on the session bus) for each new emergency and each silent feed. Where no bus
// or no such service runs, nothing is shown and nothing fails.
#pragma once

#include <QDBusConnection>
#include <QString>
#include <functional>
#include <memory>

#include "incident_outlets/Notifier.h"

namespace incident_ui {

// The session bus where the environment names one (DBUS_SESSION_BUS_ADDRESS, or the "bus"
// socket in XDG_RUNTIME_DIR); otherwise a connection that is not connected, so nothing tries
// to start a bus of its own.
QDBusConnection SessionBusIfAny();

class DesktopNotifier final : public incidents::Notifier {
public:
    using FailureSink = std::function<void(const QString& message)>;
    // The program's log.
    static void PrintFailure(const QString& message);

    explicit DesktopNotifier(QDBusConnection bus = SessionBusIfAny(),
                             QString icon = "dialog-warning", FailureSink onFailure = PrintFailure)
        : bus_(std::move(bus)), icon_(std::move(icon)) {
        answers_->onFailure = std::move(onFailure);
    }

    // Sends without waiting for the answer. The first failed answer goes to the failure sink;
    // later ones are not told again.
    void Notify(const incidents::Notification& notification) override;
    // Notifications sent whose answer has not come yet.
    int AnswersAwaited() const { return answers_->awaited; }

private:
    struct Answers {
        FailureSink onFailure;
        bool failureTold = false;
        int awaited = 0;
    };
    QDBusConnection bus_;
    QString icon_;
    // Shared with answers still on their way, which may come after the notifier is gone.
    std::shared_ptr<Answers> answers_ = std::make_shared<Answers>();
};

}  // namespace incident_ui
