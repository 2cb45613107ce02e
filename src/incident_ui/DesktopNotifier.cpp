// Sending notifications over D-Bus, fire and forget; a failure is told once on standard error.
#include "incident_ui/DesktopNotifier.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QFileInfo>
#include <QVariantMap>

#include "platform/Log.h"

namespace incident_ui {
namespace {

// The service may read markup: text from the air is shown as text.
QString Escaped(const std::string& text) {
    return QString::fromStdString(text).toHtmlEscaped();
}

}  // namespace

QDBusConnection SessionBusIfAny() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    const bool named = !qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS") ||
                       (!runtime.isEmpty() && QFileInfo::exists(runtime + "/bus"));
    return named ? QDBusConnection::sessionBus() : QDBusConnection("");
}

void DesktopNotifier::PrintFailure(const QString& message) {
    platform::LogLine(platform::Level::Warning)
        << "no desktop notification: " << message.toStdString();
}

void DesktopNotifier::Notify(const incidents::Notification& n) {
    if (!bus_.isConnected()) return;
    QDBusMessage call = QDBusMessage::createMethodCall("org.freedesktop.Notifications",
                                                       "/org/freedesktop/Notifications",
                                                       "org.freedesktop.Notifications", "Notify");
    const QVariantMap hints{{"urgency", QVariant::fromValue<uchar>(n.critical ? 2 : 1)}};
    call << QString("Sirenwatch") << 0u << icon_ << QString::fromStdString(n.summary)
         << Escaped(n.body) << QStringList() << hints << -1;
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call));
    ++answers_->awaited;
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, [answers = answers_, watcher] {
        watcher->deleteLater();
        --answers->awaited;
        if (!watcher->isError() || answers->failureTold) return;
        answers->failureTold = true;
        if (answers->onFailure) answers->onFailure(watcher->error().message());
    });
}

}  // namespace incident_ui
