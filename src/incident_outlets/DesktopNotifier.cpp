// Sending notifications over D-Bus, fire and forget; a failure is told once on standard error.
#include "incident_outlets/DesktopNotifier.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QFileInfo>
#include <QVariantMap>

#include "platform/Log.h"

namespace incidents {
namespace {

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

Notification NotificationFor(const Event& event) {
    if (const auto* e = std::get_if<Emergency>(&event.what); e != nullptr && e->isNew) {
        const Panel& p = e->panel;
        return {"Emergency: " + QString::fromStdString(p[Box::Callsign]),
                QString("%1\n%2").arg(Escaped(WhereFromHome(*e, "°")), Escaped(p[Box::Beacon])),
                true};
    }
    if (const auto* f = std::get_if<FeedSilent>(&event.what)) {
        return {"Sirenwatch hears nothing",
                QString("Nothing heard on %1 for %2 s").arg(Escaped(f->feed)).arg(f->silent_s),
                true};
    }
    if (const auto* f = std::get_if<FeedDown>(&event.what)) {
        return {"Sirenwatch's feed is down", Escaped(f->feed + ": " + f->reason), true};
    }
    return {};
}

void DesktopNotifier::PrintFailure(const QString& message) {
    platform::LogLine(platform::Level::Warning)
        << "no desktop notification: " << message.toStdString();
}

void DesktopNotifier::Tell(const Event& event) {
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

}  // namespace incidents
