// What --check promises, the real start keeps: the same checks, the same words. And the watch
// goes on whatever a side feature meets: a dashboard port held by another program, a command
// mistyped before SIGHUP.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <QDirIterator>
#include <QTcpServer>
#include <QTcpSocket>

#include "SirenwatchRun.h"

namespace e2e {
namespace {

constexpr int kStep_ms = 15000;  // generous per step: the machine may be busy compiling
const QByteArray kMobile = "Q7MOB-9>453UU0,WIDE1-1:`~SZl I>/\"5\\}Car off the road\n";
const QByteArray kWalker = "Q9XSS>APRS,WIDE1-1:!4531.00N/00912.00E>!EMERGENCY! fell\n";

// Runs --check in `run`'s folders; its standard output.
QString Check(SirenwatchRun& run, const QStringList& more = {}) {
    run.Start(QStringList{"--check"} + more, false);
    EXPECT_TRUE(run.WaitForExit(kStep_ms));
    return run.OutputLines().join('\n');
}

// The dashboard's page beside the run's copy of the executable.
void CopyDashboardPage(SirenwatchRun& run) {
    const QDir from(QFileInfo(QString(SIRENWATCH_EXE)).absolutePath() + "/dashboard");
    QDirIterator files(from.path(), QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString file = files.next();
        ASSERT_TRUE(WriteFile(run.ProgramFolder() + "/dashboard/" + from.relativeFilePath(file),
                              ReadFile(file)));
    }
}

int Count(const std::string& text, const std::string& part) {
    int n = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

// Our own host's file without a version, values that cannot be used, and a token in a file an
// earlier version left readable by every user: --check tells each (the token with the chmod
// that mends it) and says the watch can start; the start tells the same, runs, and leaves the
// file's mode to its owner.
TEST(StartChecks, WhatCheckPromisesTheStartKeeps) {
    SirenwatchRun run;
    const QString hostIni = run.DataHome() + "/sirenwatch/host/Uiview32.INI";
    const auto readableByAll =
        QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther;
    ASSERT_TRUE(WriteFile(hostIni,
                          "[Station]\nCallsign=N0CALL\nLatitude=4530.25N\nLongitude=00912.34E\n"
                          "[Sirenwatch Host]\nKissPort=99999\nIncidentDays=-5\n"
                          "SilenceMinutes=lots\nDashboardToken=s3cret\n"
                          "[Watch]\nAlarmRadiusKm=fifteen\n"));
    ASSERT_TRUE(QFile::setPermissions(hostIni, readableByAll));
    const QString checked = Check(run);
    EXPECT_EQ(run.ExitCode(), 0) << run.Errors();
    EXPECT_TRUE(checked.contains("The watch can start, with 5 warning(s)"))
        << checked.toStdString();
    EXPECT_TRUE(checked.contains("MessageType = EMERGENCY    (default)")) << checked.toStdString();
    EXPECT_TRUE(checked.contains("Language = 1 (Italian)    (default)")) << checked.toStdString();
    const std::string token = "DashboardToken is kept in " + hostIni.toStdString() +
                              ", which every user of this machine can read (mode 0644); to keep "
                              "the token secret, run: chmod 600 '" +
                              hostIni.toStdString() + "'";
    EXPECT_TRUE(run.ErrorsSay(token.c_str())) << run.Errors();
    EXPECT_TRUE(checked.contains("SilenceMinutes = 15 min (the feed's own limit)"))
        << checked.toStdString();
    const char* told[] = {
        "KissPort: \"99999\" is not a port (1 to 65535); 8001 is used",
        "IncidentDays: \"-5\" is not a whole number of days (0: all); every day is kept",
        "SilenceMinutes: \"lots\" is not a number of minutes (0: never silent); the feed's own "
        "limit is used",
        "AlarmRadiusKm: \"fifteen\" is not a distance in kilometres; no distance limit is used"};
    for (const char* warning : told) EXPECT_TRUE(run.ErrorsSay(warning)) << run.Errors();

    SirenwatchRun start;
    const QString startIni = start.DataHome() + "/sirenwatch/host/Uiview32.INI";
    ASSERT_TRUE(WriteFile(startIni, ReadFile(hostIni)));
    ASSERT_TRUE(QFile::setPermissions(startIni, readableByAll));
    start.Process().setStandardInputFile(QProcess::nullDevice());
    start.Start({"--stdin"});
    ASSERT_TRUE(start.WaitForExit(kStep_ms));
    EXPECT_EQ(start.ExitCode(), 0) << start.Errors();
    for (const char* warning : told) EXPECT_TRUE(start.ErrorsSay(warning)) << start.Errors();
    EXPECT_TRUE(start.ErrorsSay(("DashboardToken is kept in " + startIni.toStdString()).c_str()))
        << start.Errors();
    EXPECT_TRUE(QFile::permissions(startIni) & QFile::ReadOther);
}

// Before the first start nothing is there yet: --check says so rather than name a file.
TEST(StartChecks, CheckBeforeTheFirstStartNamesNoFileAsThere) {
    SirenwatchRun run;
    const QString checked = Check(run);
    EXPECT_EQ(run.ExitCode(), 0) << run.Errors();
    EXPECT_TRUE(checked.contains("Host settings (none yet: the first start writes " +
                                 run.DataHome() + "/sirenwatch/host/Uiview32.INI)"))
        << checked.toStdString();
    for (const char* line : {"Dashboard = (none)    (default)",
                             "DashboardToken = (none: actions are off)    (default)"})
        EXPECT_TRUE(checked.contains(line)) << checked.toStdString();
}

// A data folder that cannot be written stops --check and the start with the system's reason,
// said once, before the host's set-up could fail on it with other words.
TEST(StartChecks, AnUnwritableDataFolderIsToldOnceWithItsReason) {
    SirenwatchRun check, start;
    for (SirenwatchRun* run : {&check, &start}) {
        const QString blocked = run->DataHome() + "/blocked";
        ASSERT_TRUE(WriteFile(blocked, "a file where a folder should be"));
        QProcessEnvironment env = run->Process().processEnvironment();
        env.insert("XDG_DATA_HOME", blocked + "/data");
        run->Process().setProcessEnvironment(env);
    }
    Check(check);
    EXPECT_EQ(check.ExitCode(), 1);
    EXPECT_TRUE(check.ErrorsSay("/sirenwatch cannot be written: Not a directory"))
        << check.Errors();

    start.Start({"--stdin"});
    ASSERT_TRUE(start.WaitForExit(kStep_ms));
    EXPECT_EQ(start.ExitCode(), 1);
    EXPECT_TRUE(start.ErrorsSay("/sirenwatch cannot be written: Not a directory"))
        << start.Errors();
    EXPECT_EQ(Count(start.Errors(), "\n"), 1) << start.Errors();
}

// Another program holds the dashboard's port: the watch starts and sounds, the dashboard is
// told and listens once the port is free.
TEST(StartChecks, ADashboardPortInUseLeavesTheWatchRunning) {
    QTcpServer holder;
    ASSERT_TRUE(holder.listen(QHostAddress::LocalHost, 0));
    const quint16 port = holder.serverPort();
    const QString place = "127.0.0.1:" + QString::number(port);

    SirenwatchRun check;
    ASSERT_TRUE(WriteHostSettings(check, ""));
    Check(check, {"--dashboard", place});
    EXPECT_EQ(check.ExitCode(), 0) << check.Errors();
    EXPECT_TRUE(check.ErrorsSay("warning: the dashboard cannot listen on 127.0.0.1"))
        << check.Errors();

    SirenwatchRun run;
    ASSERT_TRUE(WriteHostSettings(run, ""));
    CopyDashboardPage(run);
    run.Start({"--stdin", "--dashboard", place});
    ASSERT_TRUE(run.WaitFor([&] { return run.ErrorsSay("the dashboard tries again"); }, kStep_ms))
        << run.Errors();
    EXPECT_TRUE(run.ErrorsSay("--dashboard: the dashboard cannot listen on 127.0.0.1 port "))
        << run.Errors();
    run.Process().write(kMobile);
    ASSERT_TRUE(run.WaitFor([&] { return run.Emergencies().size() == 1; }, kStep_ms))
        << run.Errors();

    holder.close();
    ASSERT_TRUE(run.WaitFor(
        [&] {
            return run.ErrorsSay(
                ("the dashboard is at http://" + place + "/ at last").toUtf8().constData());
        },
        kStep_ms))
        << run.Errors();
    QTcpSocket page;
    page.connectToHost(QHostAddress::LocalHost, port);
    EXPECT_TRUE(page.waitForConnected(kStep_ms));
    run.Process().closeWriteChannel();
    ASSERT_TRUE(run.WaitForExit(kStep_ms));
    EXPECT_EQ(run.ExitCode(), 0) << run.Errors();
}

// SIGHUP with a command whose quote is left open: refused, and the command in force still runs
// for the next emergency.
TEST(StartChecks, ABrokenCommandAtSighupKeepsTheOneInForce) {
    SirenwatchRun run;
    const QString called = run.DataHome() + "/called";
    const QByteArray command =
        "OnEmergency=/bin/sh -c 'echo $SIRENWATCH_CALLSIGN >> " + called.toUtf8() + "'\n";
    ASSERT_TRUE(WriteHostSettings(run, "[Sirenwatch Host]\n" + command));
    run.Start({"--stdin"});
    run.Process().write(kMobile);
    ASSERT_TRUE(run.WaitFor([&] { return ReadFile(called) == "Q7MOB-9\n"; }, kStep_ms))
        << run.Errors();

    ASSERT_TRUE(WriteHostSettings(run, "[Sirenwatch Host]\nOnEmergency=/bin/sh -c 'echo oops\n"));
    ::kill(static_cast<pid_t>(run.Process().processId()), SIGHUP);
    ASSERT_TRUE(run.WaitFor([&] { return run.ErrorsSay("settings read again"); }, kStep_ms));
    EXPECT_TRUE(
        run.ErrorsSay("OnEmergency in the host's settings: the emergency command cannot "
                      "run: a quote is left open in the command; the new command is "
                      "refused, this one stays: /bin/sh -c"))
        << run.Errors();
    run.Process().write(kWalker);
    ASSERT_TRUE(run.WaitFor([&] { return ReadFile(called) == "Q7MOB-9\nQ9XSS\n"; }, kStep_ms))
        << run.Errors();
    run.Process().closeWriteChannel();
    ASSERT_TRUE(run.WaitForExit(kStep_ms));
}

}  // namespace
}  // namespace e2e
