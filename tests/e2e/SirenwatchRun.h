// Runs the real sirenwatch executable headless in folders of its own: a copy of the
// executable's folder (so its Sirenwatch.ini stays private) and temporary HOME, XDG config,
// data and runtime folders. Output is collected while the test's own servers run.
#pragma once

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <vector>

namespace e2e {

class SirenwatchRun {
public:
    SirenwatchRun();
    ~SirenwatchRun();

    // Starts "sirenwatch --headless ARGS".
    void Start(const QStringList& args);
    // Processes events (the test's servers, the child's output) until the condition holds
    // or the time is up; gives the condition's last value.
    bool WaitFor(const std::function<bool()>& condition, int timeout_ms);
    // Asks the program to end as a user would (SIGTERM: the normal close path) and waits.
    bool Terminate(int timeout_ms = 10000);
    bool WaitForExit(int timeout_ms);

    // Lines printed on standard output so far, and those that start with "EMERGENCY", split
    // at tabs (12 fields: the word and the panel's eleven values).
    QStringList OutputLines() const;
    std::vector<QStringList> Emergencies() const;
    int CountLines(const QString& line) const;
    QString Errors() const { return QString::fromUtf8(stderr_); }
    int ExitCode() const { return process_.exitCode(); }
    QProcess::ExitStatus ExitStatus() const { return process_.exitStatus(); }

    // The program's own folder (the copy) and its settings file.
    QString ProgramFolder() const;
    QString SettingsFile() const { return ProgramFolder() + "/Sirenwatch.ini"; }
    QString DataHome() const { return root_.path() + "/data"; }
    QProcess& Process() { return process_; }

private:
    QTemporaryDir root_;
    QProcess process_;
    QByteArray stdout_;
    QByteArray stderr_;
};

// Host-map degrees of a display coordinate "DD.MM.mmH" / "DDD.MM.mmH".
double DisplayToDegrees(const QString& text);

}  // namespace e2e
