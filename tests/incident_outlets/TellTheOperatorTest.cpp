// Telling the operator: desktop notifications reach a notification service on a private
// session bus (and are silently dropped where there is none), and the user's emergency
// command runs with its variables, its time limit, and reported failures.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <utility>

#include "incident_outlets/DesktopNotifier.h"
#include "incident_outlets/EmergencyCommand.h"

namespace {

incidents::Event NewEmergency(bool isNew = true) {
    incidents::Emergency e{.unit = "km", .isNew = isNew};
    e.panel.text = {"Q7MOB-9", "EMERGENCY", "Car <off> the road", "", "23.8", "", "", "",
                    "",        "295"};
    e.evidence =
        incidents::Evidence{.frame = "Q7MOB-9>453UU0,WIDE1-1:`~SZl I>/\"5\\}Car <off> the road",
                            .cause = "Mic-E message bits 000 (Emergency)",
                            .place = incidents::Place{45.591667, 8.927}};
    return {1796637600, e};  // 2026-12-07T10:00:00Z
}

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

    incidents::DesktopNotifier notifier(bus.Connect("sirenwatch"));
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
    incidents::DesktopNotifier nowhere(QDBusConnection(""), "icon", record);
    nowhere.Tell(NewEmergency());
    EXPECT_EQ(nowhere.AnswersAwaited(), 0) << "nothing sent";

    PrivateBus bus;
    ASSERT_TRUE(bus.Running()) << "dbus-daemon is missing: scripts/install-deps.sh installs it";
    incidents::DesktopNotifier noService(bus.Connect("lonely"), "icon", record);
    noService.Tell(NewEmergency());
    noService.Tell(NewEmergency());
    EXPECT_EQ(noService.AnswersAwaited(), 2);
    ASSERT_TRUE(QTest::qWaitFor([&] { return noService.AnswersAwaited() == 0; }, 10000));
    ASSERT_EQ(failures.size(), 1) << failures.join('\n').toStdString();
    EXPECT_TRUE(failures[0].contains("org.freedesktop.Notifications")) << failures[0].toStdString();
    QDBusConnection::disconnectFromBus("lonely");
}

struct CommandRun {
    QTemporaryDir dir;
    QStringList failures;
    int finished = 0;
    std::unique_ptr<incidents::EmergencyCommand> command;

    void Start(const QString& line, const incidents::Event& event, int limit_ms = 10000,
               int grace_ms = 5000) {
        command = std::make_unique<incidents::EmergencyCommand>(line, limit_ms, grace_ms);
        command->onFailure = [this](const QString& f) { failures << f; };
        command->onFinished = [this] { ++finished; };
        command->Run(event);
    }
    QString Read(const char* name) const {
        QFile f(dir.path() + "/" + name);
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }
};

TEST(EmergencyCommand, CommandLinesAreCutIntoWordsByTheShellsQuotingRules) {
    struct Case {
        const char* line;
        std::optional<QStringList> words;
    };
    const Case cases[] = {
        {"", QStringList{}},
        {"  mail   -s  x ", QStringList{"mail", "-s", "x"}},
        {"mail -s 'Sirenwatch: emergency' ops@example.org",
         QStringList{"mail", "-s", "Sirenwatch: emergency", "ops@example.org"}},
        {R"(curl -d "{\"text\": \"\$x\"}" url)",
         QStringList{"curl", "-d", R"({"text": "$x"})", "url"}},
        {R"(a\ b 'c\d' "e\f" "" '')", QStringList{"a b", R"(c\d)", R"(e\f)", "", ""}},
        {"say 'open", std::nullopt},
        {"say \"open", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(incidents::SplitCommandLine(c.line), c.words) << c.line;
}

TEST(EmergencyCommand, RunsWithoutAShellWithTheValuesInItsEnvironmentAndASummaryOnItsInput) {
    CommandRun run;
    incidents::Event event = NewEmergency();
    std::get<incidents::Emergency>(event.what).evidence->frame =
        "Q7MOB-9>APRS:$(echo code) `echo code` ; \"quoted\"";
    // sh is the program here, with a script of the test's as its argument; the values reach
    // it only as variables, so the frame stays text whatever it holds.
    const QString script =
        "cd '" + run.dir.path() +
        "' && printf '%s|%s|%s|%s|%s|%s' \"$SIRENWATCH_CALLSIGN\" \"$SIRENWATCH_LATITUDE\" "
        "\"$SIRENWATCH_LONGITUDE\" \"$SIRENWATCH_DISTANCE\" \"$SIRENWATCH_BEARING\" "
        "\"$SIRENWATCH_FRAME\" > env.txt && cat > stdin.txt";
    run.Start("sh -c \"" + QString(script).replace('"', "\\\"") + "\"", event);
    ASSERT_TRUE(QTest::qWaitFor([&] { return run.finished == 1; }, 10000));
    EXPECT_TRUE(run.failures.isEmpty()) << run.failures.join('\n').toStdString();
    EXPECT_EQ(run.Read("env.txt"),
              "Q7MOB-9|45.591667|8.927000|23.8|295|Q7MOB-9>APRS:$(echo code) `echo code` ; "
              "\"quoted\"");
    EXPECT_TRUE(run.Read("stdin.txt").startsWith("EMERGENCY Q7MOB-9, 23.8 km away"))
        << run.Read("stdin.txt").toStdString();
}

TEST(EmergencyCommand, OnlyNewEmergenciesAndEveryFailureIsReportedNotFatal) {
    CommandRun missing;
    missing.Start("/nonexistent/notify-me", NewEmergency(false));
    missing.command->Run({0, incidents::AlarmOn{}});
    EXPECT_EQ(missing.command->Running(), 0) << "nothing to run for these";
    missing.command->Run(NewEmergency());
    ASSERT_TRUE(QTest::qWaitFor([&] { return missing.finished == 1; }, 10000));
    EXPECT_EQ(missing.failures.size(), 1);

    CommandRun failing;
    failing.Start("sh -c 'exit 3'", NewEmergency());
    ASSERT_TRUE(QTest::qWaitFor([&] { return failing.finished == 1; }, 10000));
    EXPECT_EQ(failing.failures, QStringList{"sh: ended with code 3"});
}

TEST(EmergencyCommand, WhatCannotRunIsFoundBeforeTheFirstEmergency) {
    QTemporaryDir dir;
    QFile plain(dir.path() + "/plain.txt");
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    const struct {
        QString line;
        bool runs;
    } cases[] = {
        {"sh -c 'exit 0'", true}, {"/bin/sh -c :", true},    {"", false},
        {"say 'open", false},     {"/nonexistent/x", false}, {"no-such-program-here --now", false},
        {dir.path(), false},      {plain.fileName(), false}};
    for (const auto& c : cases)
        EXPECT_EQ(incidents::CommandRuns(c.line).has_value(), c.runs) << c.line.toStdString();
}

// Whether the process PID is gone (a zombie nobody reaped yet counts as gone).
bool Gone(const QString& pid) {
    QFile stat("/proc/" + pid.trimmed() + "/stat");
    if (!stat.open(QIODevice::ReadOnly)) return true;
    return stat.readAll().contains(") Z ");
}

// Runs sh with SCRIPT, which writes "ready" once its traps are set, until the time limit stops
// it; a shell still starting when the limit came is run again with a longer limit, as a loaded
// machine may be slow to start one. The run, and the limit it had.
std::pair<std::unique_ptr<CommandRun>, int> RunPastTheLimit(const QString& script, int limit_ms,
                                                            int grace_ms) {
    for (;; limit_ms *= 4) {
        auto run = std::make_unique<CommandRun>();
        run->Start("sh -c \"cd '" + run->dir.path() + "'; " + script + "\"", NewEmergency(),
                   limit_ms, grace_ms);
        EXPECT_EQ(run->command->Running(), 1);
        const bool ended = QTest::qWaitFor([&] { return run->finished == 1; }, 30000);
        if (!ended || !run->Read("ready").isEmpty() || limit_ms > 10000)
            return {std::move(run), limit_ms};
    }
}

QStringList StoppedAfter(int limit_ms, const char* how) {
    return {QString("sh: still running after %1 s, stopped (%2)").arg(limit_ms / 1000.0).arg(how)};
}

// A command that hangs does not hold up the caller. At the limit its whole group is asked to
// end; what ignores that is killed after the grace period; at the end of the run the same.
TEST(EmergencyCommand, AHangingCommandIsEndedGentlyThenForcedWithAllItStarted) {
    const auto [gentle, gentleLimit_ms] = RunPastTheLimit(
        "trap 'echo term > got; exit 0' TERM; sleep 30 & echo \\$! > child; echo > ready; wait",
        200, 5000);
    ASSERT_EQ(gentle->finished, 1);
    EXPECT_EQ(gentle->failures, StoppedAfter(gentleLimit_ms, "TERM"));
    EXPECT_EQ(gentle->Read("got"), "term\n") << "TERM first, which the command could answer";
    const QString child = gentle->Read("child");
    EXPECT_FALSE(child.isEmpty());
    EXPECT_TRUE(QTest::qWaitFor([&] { return Gone(child); }, 2000)) << "what it started ends too";

    const auto [stubborn, stubbornLimit_ms] =
        RunPastTheLimit("trap '' TERM; echo > ready; sleep 30", 200, 300);
    ASSERT_EQ(stubborn->finished, 1);
    EXPECT_EQ(stubborn->failures, StoppedAfter(stubbornLimit_ms, "TERM, then KILL"));

    CommandRun atTheEnd;
    atTheEnd.Start("sleep 30", NewEmergency(), 10000, 200);
    atTheEnd.command.reset();
    EXPECT_EQ(atTheEnd.failures, QStringList{"sleep: still running at the end, stopped (TERM)"});
    EXPECT_EQ(atTheEnd.finished, 1);
}

}  // namespace

#include "TellTheOperatorTest.moc"
