// Runs the real sirenwatch executable headless in folders of its own: a copy of the
// executable's folder (so its Sirenwatch.ini stays private) and temporary HOME, XDG config,
// data and runtime folders. Output is collected while the test's own servers run.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <functional>
#include <stdexcept>
#include <vector>

namespace e2e {

class SirenwatchRun {
public:
    SirenwatchRun() : root_(QString(SIRENWATCH_E2E_TMP) + "/run-XXXXXX") {
        QDir root(root_.path());
        for (const char* sub : {"bin", "home", "config", "data", "runtime"}) root.mkpath(sub);
        QFile::setPermissions(root_.path() + "/runtime",
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        // What the program needs from its folder: itself, the demo traffic and the siren.
        const QString source = QFileInfo(QString(SIRENWATCH_EXE)).absolutePath();
        for (const char* name : {"sirenwatch", "demo.tnc2", "lowtemp.wav"})
            if (!QFile::copy(source + "/" + name, ProgramFolder() + "/" + name))
                throw std::runtime_error(std::string("cannot copy ") + name);

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", root_.path() + "/home");
        env.insert("XDG_CONFIG_HOME", root_.path() + "/config");
        env.insert("XDG_DATA_HOME", DataHome());
        env.insert("XDG_RUNTIME_DIR", root_.path() + "/runtime");
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("LC_ALL", "C.UTF-8");  // "." as the decimal symbol
        env.remove("DISPLAY");
        env.remove("WAYLAND_DISPLAY");
        env.remove("DBUS_SESSION_BUS_ADDRESS");  // no desktop notifications from the tests
        process_.setProcessEnvironment(env);
        process_.setWorkingDirectory(root_.path());
        QObject::connect(&process_, &QProcess::readyReadStandardOutput,
                         [this] { stdout_ += process_.readAllStandardOutput(); });
        QObject::connect(&process_, &QProcess::readyReadStandardError,
                         [this] { stderr_ += process_.readAllStandardError(); });
    }
    ~SirenwatchRun() {
        process_.kill();
        process_.waitForFinished(5000);
    }

    // Starts the executable, with "--headless" before ARGS unless told otherwise.
    void Start(const QStringList& args, bool headless = true) {
        process_.start(ProgramFolder() + "/sirenwatch",
                       headless ? QStringList{"--headless"} + args : args);
        if (!process_.waitForStarted(10000)) throw std::runtime_error("sirenwatch did not start");
    }
    // Processes events (the test's servers, the child's output) until the condition holds or
    // the time is up.
    bool WaitFor(const std::function<bool()>& condition, int timeout_ms) {
        QDeadlineTimer deadline(timeout_ms);
        while (!condition()) {
            if (deadline.hasExpired()) return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            if (process_.state() == QProcess::Running) process_.waitForReadyRead(5);
            QThread::msleep(2);
        }
        return true;
    }
    bool WaitForExit(int timeout_ms) {
        return WaitFor([this] { return process_.state() == QProcess::NotRunning; }, timeout_ms);
    }
    // Asks the program to end as a user would (SIGTERM: the normal close path) and waits.
    bool Terminate() {
        process_.terminate();
        return WaitForExit(10000);
    }

    QStringList OutputLines() const {
        return QString::fromUtf8(stdout_).split('\n', Qt::SkipEmptyParts);
    }
    // The lines that start with "EMERGENCY", split at tabs: the word and the panel's eleven
    // values.
    std::vector<QStringList> Emergencies() const {
        std::vector<QStringList> found;
        for (const QString& line : OutputLines())
            if (line.startsWith("EMERGENCY\t")) found.push_back(line.split('\t'));
        return found;
    }
    int CountLines(const QString& line) const { return int(OutputLines().count(line)); }
    std::string Errors() const { return stderr_.toStdString(); }
    bool ErrorsSay(const char* text) const { return stderr_.contains(text); }
    int ExitCode() const { return process_.exitCode(); }
    QProcess::ExitStatus ExitStatus() const { return process_.exitStatus(); }
    QString ProgramFolder() const { return root_.path() + "/bin"; }
    QString SettingsFile() const { return ProgramFolder() + "/Sirenwatch.ini"; }
    QString DataHome() const { return root_.path() + "/data"; }
    QProcess& Process() { return process_; }

private:
    QTemporaryDir root_;
    QProcess process_;
    QByteArray stdout_, stderr_;
};

// Writes a whole file, making its folder; false when it cannot.
// A loopback port nobody listens on just now.
inline quint16 FreePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

// The dashboard's state, asked without a token on loopback; an empty object when it does not
// answer.
inline QJsonObject DashboardState(quint16 port) {
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!socket.waitForConnected(5000)) return {};
    socket.write("GET /api/state HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n");
    QByteArray reply;
    while (socket.waitForReadyRead(5000)) reply += socket.readAll();
    return QJsonDocument::fromJson(reply.mid(reply.indexOf("\r\n\r\n") + 4)).object();
}

inline bool WriteFile(const QString& path, const QByteArray& content) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

// A whole file; nothing when it cannot be read.
inline QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The built-in host's settings with the home station of the tests, then `more`.
inline bool WriteHostSettings(const SirenwatchRun& run, const QByteArray& more) {
    return WriteFile(run.DataHome() + "/sirenwatch/host/Uiview32.INI",
                     "[Station]\nCallsign=N0CALL\nLatitude=4530.25N\nLongitude=00912.34E\n"
                     "[SetUp]\nPROGRAM_VERSION=1.86\n" +
                         more);
}

// The lines of the incident logs in a folder.
inline QStringList LogLines(const QString& folder) {
    QStringList lines;
    for (const QString& name : QDir(folder).entryList({"incidents-*.jsonl"}, QDir::Files))
        lines << QString::fromUtf8(ReadFile(folder + "/" + name)).split('\n', Qt::SkipEmptyParts);
    return lines;
}

}  // namespace e2e
