// Starting, watching and, when it takes too long, killing the user's emergency command.
#include "app/EmergencyCommand.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QTimer>
#include <iostream>

namespace app {
namespace {

QString Text(const QJsonObject& event, const char* key) {
    return event[key].toString();
}

QString Degrees(const QJsonObject& evidence, const char* key) {
    const QJsonValue value = evidence[key];
    return value.isDouble() ? QString::number(value.toDouble(), 'f', 6) : QString();
}

// What a mail body or a chat message would say.
QByteArray Summary(const QJsonObject& event) {
    const QJsonObject evidence = event["evidence"].toObject();
    return QString("EMERGENCY %1, %2 %3 away, bearing %4 degrees\n%5\nWhy: %6\nFrame: %7\n")
        .arg(Text(event, "callsign"), Text(event, "distance"), Text(event, "unit"),
             Text(event, "bearing"), Text(event, "beacon"), Text(evidence, "cause"),
             Text(evidence, "frame"))
        .toUtf8();
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

QProcessEnvironment EmergencyEnvironment(const QJsonObject& event, QProcessEnvironment env) {
    const QJsonObject evidence = event["evidence"].toObject();
    const std::pair<const char*, QString> values[] = {
        {"SIRENWATCH_CALLSIGN", Text(event, "callsign")},
        {"SIRENWATCH_MESSAGE", Text(event, "message")},
        {"SIRENWATCH_BEACON", Text(event, "beacon")},
        {"SIRENWATCH_TIME", Text(event, "time")},
        {"SIRENWATCH_LATITUDE", Degrees(evidence, "latitude_deg")},
        {"SIRENWATCH_LONGITUDE", Degrees(evidence, "longitude_deg")},
        {"SIRENWATCH_DISTANCE", Text(event, "distance")},
        {"SIRENWATCH_UNIT", Text(event, "unit")},
        {"SIRENWATCH_BEARING", Text(event, "bearing")},
        {"SIRENWATCH_COURSE", Text(event, "course")},
        {"SIRENWATCH_SPEED", Text(event, "speed")},
        {"SIRENWATCH_ALTITUDE", Text(event, "altitude")},
        {"SIRENWATCH_CAUSE", Text(evidence, "cause")},
        {"SIRENWATCH_VIA", evidence["path"].toObject()["via"].toString()},
        {"SIRENWATCH_FRAME", Text(evidence, "frame")},
    };
    for (const auto& [name, value] : values) env.insert(name, value);
    return env;
}

EmergencyCommand::EmergencyCommand(const QString& commandLine, int timeLimit_ms, QObject* parent)
    : QObject(parent), timeLimit_ms_(timeLimit_ms) {
    const auto words = SplitCommandLine(commandLine);
    words_ = words.value_or(QStringList());
    quoteLeftOpen_ = !words.has_value();
}

EmergencyCommand::~EmergencyCommand() {
    QDeadlineTimer grace(kGraceAtEnd_ms);
    for (QProcess* process : findChildren<QProcess*>()) {
        process->disconnect(this);
        if (!process->waitForFinished(static_cast<int>(grace.remainingTime()))) process->kill();
        process->waitForFinished(1000);
    }
}

void EmergencyCommand::Fail(const QString& what) {
    if (onFailure) {
        onFailure(what);
    } else {
        std::cerr << "sirenwatch: --on-emergency: " << what.toStdString() << '\n';
    }
}

void EmergencyCommand::Run(const QJsonObject& event) {
    if (event["event"] != "emergency" || !event["new"].toBool()) return;
    if (quoteLeftOpen_) return Fail("a quote is left open in the command");
    if (words_.isEmpty()) return Fail("the command is empty");
    if (running_ >= kMaxRunning) return Fail("still running from earlier emergencies, not started");

    auto* process = new QProcess(this);
    auto* limit = new QTimer(process);
    ++running_;
    process->setProgram(words_.first());
    process->setArguments(words_.mid(1));
    process->setProcessEnvironment(EmergencyEnvironment(event));
    // Its output must not mix with ours on standard output.
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);

    const QString name = words_.first();
    auto end = [this, process] {
        --running_;
        process->deleteLater();
        if (onFinished) onFinished();
    };
    connect(process, &QProcess::errorOccurred, this,
            [this, process, name, end](QProcess::ProcessError e) {
                if (e != QProcess::FailedToStart) return;  // the others end in finished()
                Fail(name + ": " + process->errorString());
                end();
            });
    connect(process, &QProcess::finished, this,
            [this, process, limit, name, end](int code, QProcess::ExitStatus status) {
                limit->stop();
                if (status == QProcess::CrashExit && !limit->property("fired").toBool())
                    Fail(name + ": crashed");
                else if (status == QProcess::NormalExit && code != 0)
                    Fail(QString("%1: ended with code %2").arg(name).arg(code));
                end();
            });
    connect(limit, &QTimer::timeout, this, [this, process, limit, name] {
        limit->setProperty("fired", true);
        Fail(
            QString("%1: still running after %2 s, stopped").arg(name).arg(timeLimit_ms_ / 1000.0));
        process->kill();
    });
    limit->setSingleShot(true);
    limit->start(timeLimit_ms_);
    process->start();
    process->write(Summary(event));
    process->closeWriteChannel();
}

}  // namespace app
