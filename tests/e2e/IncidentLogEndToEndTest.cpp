// The incident log that cannot be written, with the real executable: the operator is told the
// system's reason on standard error and on the dashboard, the emergency waits, and it is in the
// log once the folder can be written again, with the recovery told.
#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <cerrno>
#include <cstring>

#include "SirenwatchRun.h"

namespace e2e {
namespace {

TEST(IncidentLogEndToEnd, AnUnwritableLogIsToldWithItsReasonAndCatchesUpWhenItCan) {
    SirenwatchRun run;
    const QString folder = run.DataHome() + "/sirenwatch/incidents";
    ASSERT_TRUE(WriteFile(folder, "a file where the log's folder goes"));
    const QString built = QFileInfo(QString(SIRENWATCH_EXE)).absolutePath();
    ASSERT_TRUE(QFile::link(built + "/dashboard", run.ProgramFolder() + "/dashboard"));
    const quint16 port = FreePort();
    run.Start({"--stdin", "--dashboard", QString::number(port)});
    ASSERT_TRUE(run.WaitFor([&] { return run.ErrorsSay("the dashboard is at"); }, 20000))
        << run.Errors();
    run.Process().write("Q9XSS>APRS,WIDE1-1:!4531.00N/00912.00E>!EMERGENCY! fell\n");

    const std::string reason = std::strerror(ENOTDIR);
    ASSERT_TRUE(
        run.WaitFor([&] { return run.ErrorsSay(("cannot be written: " + reason).c_str()); }, 20000))
        << run.Errors();
    ASSERT_TRUE(run.WaitFor([&] { return run.Emergencies().size() == 1u; }, 20000))
        << "the emergency is shown all the same\n"
        << run.Errors();
    const QJsonObject stopped = DashboardState(port)["log"].toObject();
    EXPECT_FALSE(stopped["writing"].toBool()) << run.Errors();
    EXPECT_EQ(stopped["problem"].toString().toStdString(), reason);
    EXPECT_GE(stopped["waiting"].toInt(), 1);

    ASSERT_TRUE(QFile::remove(folder));
    ASSERT_TRUE(run.WaitFor([&] { return run.ErrorsSay("is written again"); }, 20000))
        << run.Errors();
    EXPECT_TRUE(DashboardState(port)["log"].toObject()["writing"].toBool());
    const QStringList files = QDir(folder).entryList({"incidents-*.jsonl"}, QDir::Files);
    ASSERT_EQ(files.size(), 1);
    EXPECT_TRUE(ReadFile(folder + "/" + files[0]).contains("\"Q9XSS\""));
    EXPECT_TRUE(run.Terminate());
}

}  // namespace
}  // namespace e2e
