// --on-emergency: a command of the user's run for each new emergency, with the values in
// environment variables (SIRENWATCH_CALLSIGN, SIRENWATCH_LATITUDE, ...) and a short text on
// its standard input. Run without a shell, never waited for, killed after a time limit; a
// failure is reported and the watch goes on.
#pragma once

#include <QJsonObject>
#include <QObject>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace app {

// A command line cut into words by a shell's quoting rules, with nothing else of a shell:
// blanks separate words; '...' keeps everything; "..." keeps everything but \" \\ \$ \`,
// which lose their backslash; a backslash outside quotes keeps the next character. Nothing
// for a quote left open.
std::optional<QStringList> SplitCommandLine(const QString& line);

// The variables for an emergency event.
QProcessEnvironment EmergencyEnvironment(
    const QJsonObject& event, QProcessEnvironment base = QProcessEnvironment::systemEnvironment());

class EmergencyCommand final : public QObject {
    Q_OBJECT
public:
    static constexpr int kTimeLimit_ms = 30000;
    static constexpr int kMaxRunning = 8;  // more at once are refused, not queued
    static constexpr int kGraceAtEnd_ms = 5000;

    // The command line is split into words by SplitCommandLine; no shell runs it.
    explicit EmergencyCommand(const QString& commandLine, int timeLimit_ms = kTimeLimit_ms,
                              QObject* parent = nullptr);
    // Commands still running at the end get a few seconds to finish before they are stopped.
    ~EmergencyCommand() override;

    // A sink for the incidents: starts the command for a new emergency.
    void Run(const QJsonObject& event);

    // Told what went wrong; standard error unless set.
    std::function<void(const QString&)> onFailure;
    // Told when a run has ended, however (for tests).
    std::function<void()> onFinished;

    int Running() const { return running_; }

private:
    void Fail(const QString& what);

    QStringList words_;
    bool quoteLeftOpen_ = false;
    int timeLimit_ms_;
    int running_ = 0;
};

}  // namespace app
