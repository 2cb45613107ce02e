// Telling the operator on the desktop: notifications reach a notification service on a private
// session bus, and are silently dropped where there is none.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <memory>
#include <utility>

#include "fakes/IncidentEvents.h"
#include "incident_ui/DesktopNotifier.h"

namespace {

using fakes::NewEmergency;

// The notification service's side of the call, as a desktop would receive it.
class FakeNotifications final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    QStringList summaries, bodies;

public slots:
    uint Notify(const QString&, uint, const QString&, const QString& summary, const QString& body,
                const QStringList&, const QVariantMap&, int) {
        summaries << summary;
        bodies << body;
        return uint(summaries.size());
    }
};

// A session bus of the test's own, gone with it.
class PrivateBus {
public:
    PrivateBus() {
        const QString daemon = QStandardPaths::findExecutable("dbus-daemon");
        if (daemon.isEmpty()) return;
        daemon_.start(daemon, {"--session", "--nofork", "--print-address=1"});
        if (!daemon_.waitForStarted(5000) ||
            !QTest::qWaitFor([&] { return daemon_.canReadLine(); }, 10000))
            return;
        address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
    }
    ~PrivateBus() {
        daemon_.kill();
        daemon_.waitForFinished(5000);
    }
    bool Running() const { return !address_.isEmpty(); }
    QDBusConnection Connect(const QString& name) const {
        return QDBusConnection::connectToBus(address_, name);
    }

private:
    QProcess daemon_;
    QString address_;
};

TEST(DesktopNotifier, NewEmergenciesAndSilentFeedsReachTheService) {
    PrivateBus bus;
    ASSERT_TRUE(bus.Running()) << "dbus-daemon is missing: scripts/install-deps.sh installs it";
    FakeNotifications service;
    QDBusConnection serviceSide = bus.Connect("service");
    ASSERT_TRUE(serviceSide.registerService("org.freedesktop.Notifications"));
    ASSERT_TRUE(serviceSide.registerObject("/org/freedesktop/Notifications", &service,
                                           QDBusConnection::ExportAllSlots));

    incident_ui::DesktopNotifier notifier(bus.Connect("sirenwatch"));
    notifier.Tell(NewEmergency());
    notifier.Tell(NewEmergency(false));  // the same station again: not told twice
    notifier.Tell({0, incidents::AlarmOn{}});
    notifier.Tell({0, incidents::FeedSilent{"KISS 127.0.0.1:8001", 900, 0}});
    notifier.Tell({0, incidents::FeedDown{"KISS 127.0.0.1:8001", "Connection refused"}});

    // One connection keeps its order: once the last is in, a repeat told before it would be too.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return service.summaries.value(service.summaries.size() - 1).contains("down"); },
        10000));
    EXPECT_EQ(service.summaries, (QStringList{"Emergency: Q7MOB-9", "Sirenwatch hears nothing",
                                              "Sirenwatch's feed is down"}));
    EXPECT_EQ(service.bodies.value(2), "KISS 127.0.0.1:8001: Connection refused");
    EXPECT_EQ(service.bodies.value(0), "23.8 km away, bearing 295°\nCar &lt;off&gt; the road");
    EXPECT_TRUE(service.bodies.value(1).contains("900 s"));
    // The service's answers come back before the connections go, and their watchers with them.
    EXPECT_TRUE(QTest::qWaitFor([&] { return notifier.AnswersAwaited() == 0; }, 10000));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QDBusConnection::disconnectFromBus("service");
    QDBusConnection::disconnectFromBus("sirenwatch");
}

// Without a bus nothing is sent and nothing is told; a bus without the service answers each
// call with an error, which is told once, not once per emergency.
TEST(DesktopNotifier, NoBusIsQuietAndNoServiceIsToldOnce) {
    QStringList failures;
    const auto record = [&](const QString& failure) { failures << failure; };
    incident_ui::DesktopNotifier nowhere(QDBusConnection(""), "icon", record);
    nowhere.Tell(NewEmergency());
    EXPECT_EQ(nowhere.AnswersAwaited(), 0) << "nothing sent";

    PrivateBus bus;
    ASSERT_TRUE(bus.Running()) << "dbus-daemon is missing: scripts/install-deps.sh installs it";
    incident_ui::DesktopNotifier noService(bus.Connect("lonely"), "icon", record);
    noService.Tell(NewEmergency());
    noService.Tell(NewEmergency());
    EXPECT_EQ(noService.AnswersAwaited(), 2);
    ASSERT_TRUE(QTest::qWaitFor([&] { return noService.AnswersAwaited() == 0; }, 10000));
    ASSERT_EQ(failures.size(), 1) << failures.join('\n').toStdString();
    EXPECT_TRUE(failures[0].contains("org.freedesktop.Notifications")) << failures[0].toStdString();
    QDBusConnection::disconnectFromBus("lonely");
}

}  // namespace

#include "DesktopNotifierTest.moc"
