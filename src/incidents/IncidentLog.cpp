// Appending events to the day's file.
#include "incidents/IncidentLog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QStandardPaths>
#include <iostream>

#include "incidents/JsonLines.h"

namespace incidents {
namespace {

// True when the file is empty or ends with a line end; a line cut short by a crash does not.
bool EndsWithLineEnd(QFile& file) {
    if (file.size() == 0) return true;
    char last = 0;
    return file.seek(file.size() - 1) && file.getChar(&last) && last == '\n';
}

}  // namespace

QString IncidentLog::DefaultFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           "/sirenwatch/incidents";
}

QString IncidentLog::ReplayFolder(const QString& replayFile, const QDateTime& start) {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           "/sirenwatch/replays/" + QFileInfo(replayFile).completeBaseName() + '-' +
           start.toUTC().toString("yyyyMMdd-HHmmss");
}

QString IncidentFileName(const QString& isoTime) {
    return "incidents-" + isoTime.left(10) + ".jsonl";
}

bool IncidentLog::Append(const Event& event) {
    if (const auto* e = std::get_if<Emergency>(&event.what); e != nullptr && e->copy) return true;
    QByteArray line = QJsonDocument(ToJson(event)).toJson(QJsonDocument::Compact) + '\n';
    QFile file(folder_ + '/' + IncidentFileName(IsoTime(event.time_s)));
    bool ok = QDir().mkpath(folder_) &&
              file.open(QIODevice::ReadWrite | QIODevice::Append | QIODevice::Unbuffered);
    if (ok && !EndsWithLineEnd(file)) line.prepend('\n');
    ok = ok && file.write(line) == line.size();
    if (!ok && !failureTold_) {
        failureTold_ = true;
        std::cerr << "sirenwatch: the incident log " << file.fileName().toStdString()
                  << " cannot be written: " << file.errorString().toStdString() << '\n';
    }
    return ok;
}

}  // namespace incidents
