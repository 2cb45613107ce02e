// Appending events to the day's file.
#include "incidents/IncidentLog.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>

#include "incidents/JsonLines.h"
#include "platform/Log.h"
#include "qt/QtPorts.h"

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
    return QString::fromStdString(qt::CurrentLayout().data) + "/incidents";
}

void IncidentLog::RemoveOld(const QString& today) {
    const QDate day = QDate::fromString(today, Qt::ISODate);
    if (keepDays_ <= 0 || !day.isValid()) return;
    // Names sort as their days do: everything before the first day kept goes.
    const QString firstKept = IncidentFileName(day.addDays(1 - keepDays_).toString(Qt::ISODate));
    QDir folder(folder_);
    for (const QString& name : folder.entryList({"incidents-*.jsonl"}, QDir::Files))
        if (name.size() == firstKept.size() && name < firstKept) folder.remove(name);
}

QString IncidentLog::ReplayFolder(const QString& replayFile, const QDateTime& start) {
    return QString::fromStdString(qt::CurrentLayout().data) + "/replays/" +
           QFileInfo(replayFile).completeBaseName() + '-' +
           start.toUTC().toString("yyyyMMdd-HHmmss");
}

QString IncidentFileName(const QString& isoTime) {
    return "incidents-" + isoTime.left(10) + ".jsonl";
}

bool IncidentLog::Append(const Event& event) {
    if (const auto* e = std::get_if<Emergency>(&event.what); e != nullptr && e->copy) return true;
    QByteArray line = QByteArray::fromStdString(JsonLine(event)) + '\n';
    QFile file(folder_ + '/' + IncidentFileName(IsoTime(event.time_s)));
    bool ok = QDir().mkpath(folder_) &&
              file.open(QIODevice::ReadWrite | QIODevice::Append | QIODevice::Unbuffered);
    if (ok && !EndsWithLineEnd(file)) line.prepend('\n');
    ok = ok && file.write(line) == line.size();
    if (ok && file.fileName() != lastFile_) {  // a new day, or the first line of this run
        lastFile_ = file.fileName();
        RemoveOld(IsoTime(event.time_s).left(10));
    }
    if (!ok && !failureTold_) {
        failureTold_ = true;
        platform::LogLine(platform::Level::Warning)
            << "sirenwatch: the incident log " << file.fileName().toStdString()
            << " cannot be written: " << file.errorString().toStdString();
    }
    return ok;
}

}  // namespace incidents
