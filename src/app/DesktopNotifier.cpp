// Sending notifications over D-Bus, fire and forget; a failure is told once on standard error.
#include "app/DesktopNotifier.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QFileInfo>
#include <QVariantMap>
#include <iostream>

namespace app {
namespace {

QString Escaped(const QJsonObject& event, const char* key) {
    return event[key].toString().toHtmlEscaped();
}

}  // namespace

QDBusConnection SessionBusIfAny() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    const bool named = !qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS") ||
                       (!runtime.isEmpty() && QFileInfo::exists(runtime + "/bus"));
    return named ? QDBusConnection::sessionBus() : QDBusConnection("");
}

Notification NotificationFor(const QJsonObject& event) {
    const QString kind = event["event"].toString();
    if (kind == "emergency" && event["new"].toBool()) {
        return {"Emergency: " + event["callsign"].toString(),
                QString("%1 %2 away, bearing %3°\n%4")
                    .arg(Escaped(event, "distance"), Escaped(event, "unit"),
                         Escaped(event, "bearing"), Escaped(event, "beacon")),
                true};
    }
    if (kind == "feed" && event["state"] == "silent") {
        return {"Sirenwatch hears nothing",
                QString("Nothing heard on %1 for %2 s")
                    .arg(Escaped(event, "feed"))
                    .arg(event["seconds"].toInteger()),
                true};
    }
    return {};
}

void DesktopNotifier::PrintFailure(const QString& message) {
    std::cerr << "sirenwatch: no desktop notification: " << message.toStdString() << '\n';
}

void DesktopNotifier::Tell(const QJsonObject& event) {
    const Notification n = NotificationFor(event);
    if (n.summary.isEmpty() || !bus_.isConnected()) return;
    QDBusMessage call = QDBusMessage::createMethodCall("org.freedesktop.Notifications",
                                                       "/org/freedesktop/Notifications",
                                                       "org.freedesktop.Notifications", "Notify");
    const QVariantMap hints{{"urgency", QVariant::fromValue<uchar>(n.critical ? 2 : 1)}};
    call << QString("Sirenwatch") << 0u << icon_ << n.summary << n.body << QStringList() << hints
         << -1;
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

}  // namespace app
