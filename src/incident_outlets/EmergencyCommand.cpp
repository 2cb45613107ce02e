// Starting, watching and, when it takes too long, killing the user's emergency command.
#include "incident_outlets/EmergencyCommand.h"

#include <signal.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>

#include "incident_outlets/JsonLines.h"
#include "platform/Log.h"

namespace incidents {
namespace {

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

QString Degrees(const std::optional<Evidence>& evidence, double Place::*degrees) {
    if (!evidence || !evidence->place) return {};
    return QString::number((*evidence->place).*degrees, 'f', 6);
}

// What a mail body or a chat message would say.
QByteArray Summary(const Emergency& e) {
    const Panel& p = e.panel;
    const Evidence evidence = e.evidence.value_or(Evidence{});
    return QString("EMERGENCY %1, %2\n%3\nWhy: %4\nFrame: %5\n")
        .arg(Text(p[Box::Callsign]), Text(WhereFromHome(e, "degrees")), Text(p[Box::Beacon]),
             Text(evidence.cause), Text(evidence.frame))
        .toUtf8();
}

// Whether a process of the group still runs. A member that has ended but was not reaped yet
// (its parent gone, adopted by a slow init) does not count: it needs no KILL.
bool GroupHasLiving(pid_t group) {
    if (::kill(-group, 0) != 0) return false;
    for (const QString& pid : QDir("/proc").entryList(QDir::Dirs)) {
        QFile stat("/proc/" + pid + "/stat");
        if (pid.front().isDigit() && stat.open(QIODevice::ReadOnly)) {
            // "pid (name) state ppid pgrp ...": the name may hold anything, even ")".
            const QByteArray text = stat.readAll();
            const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
            if (fields.size() > 2 && fields[2].toLong() == group && fields[0] != "Z") return true;
        }
    }
    return false;
}

}  // namespace

std::optional<QStringList> SplitCommandLine(const QString& line) {
    QStringList words;
    QString word;
    bool inWord = false;
    QChar quote;  // the open quote, null outside quotes
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        const bool escapable =
            i + 1 < line.size() &&
            (quote.isNull() || (quote == '"' && QString("\"\\$`").contains(line[i + 1])));
        if (c == '\\' && quote != '\'' && escapable) {
            word += line[++i];
            inWord = true;
        } else if (!quote.isNull() && c == quote) {
            quote = QChar();
        } else if (quote.isNull() && (c == '\'' || c == '"')) {
            quote = c;
            inWord = true;
        } else if (quote.isNull() && c.isSpace()) {
            if (inWord) words << word;
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (!quote.isNull()) return std::nullopt;
    if (inWord) words << word;
    return words;
}

platform::Result<void> CommandRuns(const QString& line) {
    const auto words = SplitCommandLine(line);
    if (!words) return platform::Fail("a quote is left open in the command");
    if (words->isEmpty()) return platform::Fail("the command is empty");
    const QString& program = words->first();
    const QString found = program.contains('/') ? program : QStandardPaths::findExecutable(program);
    const QFileInfo file(found);
    if (found.isEmpty() || !file.exists())
        return platform::Fail(program.toStdString() + ": no such program");
    if (!file.isFile() || !file.isExecutable())
        return platform::Fail(program.toStdString() + ": not an executable program");
    return {};
}

QProcessEnvironment EmergencyEnvironment(const Emergency& e, std::int64_t time_s,
                                         QProcessEnvironment env) {
    const Panel& p = e.panel;
    const Evidence evidence = e.evidence.value_or(Evidence{});
    const QString via = !e.evidence ? "" : evidence.path.viaInternet ? "internet" : "radio";
    const std::pair<const char*, QString> values[] = {
        {"SIRENWATCH_CALLSIGN", Text(p[Box::Callsign])},
        {"SIRENWATCH_MESSAGE", Text(p[Box::Message])},
        {"SIRENWATCH_BEACON", Text(p[Box::Beacon])},
        {"SIRENWATCH_TIME", IsoTime(time_s)},
        {"SIRENWATCH_LATITUDE", Degrees(e.evidence, &Place::latitude_deg)},
        {"SIRENWATCH_LONGITUDE", Degrees(e.evidence, &Place::longitude_deg)},
        {"SIRENWATCH_DISTANCE", Text(p[Box::Distance])},
        {"SIRENWATCH_UNIT", Text(e.unit)},
        {"SIRENWATCH_BEARING", Text(p[Box::Bearing])},
        {"SIRENWATCH_COURSE", Text(p[Box::Course])},
        {"SIRENWATCH_SPEED", Text(p[Box::Speed])},
        {"SIRENWATCH_ALTITUDE", Text(p[Box::Altitude])},
        {"SIRENWATCH_CAUSE", Text(evidence.cause)},
        {"SIRENWATCH_VIA", via},
        {"SIRENWATCH_FRAME", Text(evidence.frame)},
    };
    for (const auto& [name, value] : values) env.insert(name, value);
    return env;
}

// One start of the command: its process group, its time limit and how it was stopped.
class EmergencyCommand::Started final : public QObject {
public:
    Started(EmergencyCommand& owner, const Emergency& emergency, std::int64_t time_s)
        : QObject(&owner), owner_(owner), name_(owner.words_.first()) {
        process_.setProgram(name_);
        process_.setArguments(owner.words_.mid(1));
        process_.setProcessEnvironment(EmergencyEnvironment(emergency, time_s));
        // Its output must not mix with ours on standard output.
        process_.setStandardOutputFile(QProcess::nullDevice());
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        // A group of its own, so that stopping it stops whatever it started too.
        process_.setChildProcessModifier([] { ::setpgid(0, 0); });
        connect(&process_, &QProcess::errorOccurred, this, [this](QProcess::ProcessError e) {
            if (e != QProcess::FailedToStart) return;  // the others end in finished()
            owner_.Fail(name_ + ": " + process_.errorString());
            Finish(false);
        });
        connect(&process_, &QProcess::finished, this, &Started::LeaderEnded);
        limit_.setSingleShot(true);
        grace_.setSingleShot(true);
        connect(&limit_, &QTimer::timeout, this, [this] {
            Stop(QString("still running after %1 s").arg(owner_.timeLimit_ms_ / 1000.0));
        });
        connect(&grace_, &QTimer::timeout, this, &Started::GraceOver);

        ++owner_.running_;
        limit_.start(owner_.timeLimit_ms_);
        process_.start();
        if (process_.state() == QProcess::NotRunning) return;
        group_ = static_cast<pid_t>(process_.processId());
        ::setpgid(group_, group_);  // the child does so too: whichever comes first counts
        process_.write(Summary(emergency));
        process_.closeWriteChannel();
    }

    // The program is ending: waits out what is left of `grace`, then stops it.
    void EndOfRun(const QDeadlineTimer& grace) {
        if (done_) return;
        process_.waitForFinished(static_cast<int>(grace.remainingTime()));
        if (done_) return;
        if (stop_ == Stopped::No) Stop("still running at the end");
        // No event loop turns here: the grace timer stands for the wait below.
        if (!leaderDone_) process_.waitForFinished(owner_.grace_ms_);
        GraceOver();
        if (!leaderDone_) process_.waitForFinished(1000);
        if (!done_) Finish(true);
    }

private:
    enum class Stopped { No, Term, Kill };

    bool GroupAlive() const { return group_ > 0 && GroupHasLiving(group_); }

    void Stop(const QString& why) {
        why_ = why;
        stop_ = Stopped::Term;
        if (group_ > 0) ::kill(-group_, SIGTERM);
        grace_.start(owner_.grace_ms_);
    }

    void GraceOver() {
        if (GroupAlive()) {
            ::kill(-group_, SIGKILL);
            stop_ = Stopped::Kill;
        }
        if (leaderDone_) Finish(true);
    }

    void LeaderEnded(int code, QProcess::ExitStatus status) {
        leaderDone_ = true;
        code_ = code;
        crashed_ = status == QProcess::CrashExit;
        limit_.stop();
        // What it started may still be running after TERM: the grace period ends it.
        if (stop_ == Stopped::Term && grace_.isActive() && GroupAlive()) return;
        Finish(true);
    }

    void Finish(bool report) {
        if (done_) return;
        done_ = true;
        limit_.stop();
        grace_.stop();
        if (report && stop_ != Stopped::No)
            owner_.Fail(QString("%1: %2, stopped (TERM%3)")
                            .arg(name_, why_, stop_ == Stopped::Kill ? ", then KILL" : ""));
        else if (report && crashed_)
            owner_.Fail(name_ + ": crashed");
        else if (report && code_ != 0)
            owner_.Fail(QString("%1: ended with code %2").arg(name_).arg(code_));
        --owner_.running_;
        deleteLater();
        if (owner_.onFinished) owner_.onFinished();
    }

    EmergencyCommand& owner_;
    QString name_;
    QProcess process_;
    QTimer limit_, grace_;
    pid_t group_ = 0;
    Stopped stop_ = Stopped::No;
    QString why_;
    bool leaderDone_ = false, crashed_ = false, done_ = false;
    int code_ = 0;
};

EmergencyCommand::EmergencyCommand(const QString& commandLine, int timeLimit_ms, int grace_ms,
                                   QObject* parent)
    : QObject(parent), timeLimit_ms_(timeLimit_ms), grace_ms_(grace_ms) {
    const auto words = SplitCommandLine(commandLine);
    words_ = words.value_or(QStringList());
    quoteLeftOpen_ = !words.has_value();
}

EmergencyCommand::~EmergencyCommand() {
    const QDeadlineTimer grace(grace_ms_);
    for (Started* started : findChildren<Started*>(Qt::FindDirectChildrenOnly))
        started->EndOfRun(grace);
}

void EmergencyCommand::Fail(const QString& what) {
    if (onFailure) {
        onFailure(what);
    } else {
        platform::LogLine(platform::Level::Warning) << "--on-emergency: " << what.toStdString();
    }
}

void EmergencyCommand::Run(const Event& event) {
    const auto* emergency = std::get_if<Emergency>(&event.what);
    if (emergency == nullptr || !emergency->isNew) return;
    if (quoteLeftOpen_) return Fail("a quote is left open in the command");
    if (words_.isEmpty()) return Fail("the command is empty");
    if (running_ >= kMaxRunning) return Fail("still running from earlier emergencies, not started");
    new Started(*this, *emergency, event.time_s);
}

}  // namespace incidents
