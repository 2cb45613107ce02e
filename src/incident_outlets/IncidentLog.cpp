// Appending events to the day's file.
#include "incident_outlets/IncidentLog.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <filesystem>
#include <optional>
#include <system_error>

#include "incident_outlets/JsonLines.h"
#include "platform/Log.h"
#include "qt/QtPorts.h"

namespace incidents {
namespace {

std::string SystemReason(int error) {
    return std::system_category().message(error);
}

// One day file opened for appending whole lines, with the system's reason when it fails
// (QFile says "Unknown error" for a full disk). Opened for reading too: whether the file ends
// with a line end is read back before each line.
class AppendFile {
public:
    explicit AppendFile(const QString& path)
        : path_(path),
          fd_(::open(QFile::encodeName(path).constData(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC,
                     0666)) {
        if (fd_ < 0) problem_ = SystemReason(errno);
    }
    ~AppendFile() {
        if (fd_ >= 0) ::close(fd_);
    }
    AppendFile(const AppendFile&) = delete;
    AppendFile& operator=(const AppendFile&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    const QString& Path() const { return path_; }
    const std::string& Problem() const { return problem_; }

    // Writes the line whole or not at all: what part of it went in before the disk filled is
    // taken back. A line cut short by a crash before is closed first. A durable line is on
    // the disk, not only in the system's cache, before it counts as written.
    bool Write(QByteArray line, bool durable) {
        struct stat status {};
        if (::fstat(fd_, &status) != 0) return Failed(-1);
        if (!EndsWithLineEnd(status.st_size)) line.prepend('\n');
        for (qsizetype done = 0; done < line.size();) {
            const ssize_t n =
                ::write(fd_, line.constData() + done, std::size_t(line.size() - done));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return Failed(status.st_size);
            done += n;
        }
        if (durable && ::fdatasync(fd_) != 0) return Failed(status.st_size);
        return true;
    }

private:
    // True when the file is empty or ends with a line end; a line cut short does not.
    bool EndsWithLineEnd(off_t size) const {
        char last = '\n';
        return size == 0 || (::pread(fd_, &last, 1, size - 1) == 1 && last == '\n');
    }
    bool Failed(off_t sizeBefore) {
        problem_ = SystemReason(errno != 0 ? errno : EIO);
        if (sizeBefore >= 0 && ::ftruncate(fd_, sizeBefore) != 0) {
            // The part written stays; the next line starts on a line of its own.
        }
        return false;
    }

    QString path_;
    int fd_;
    std::string problem_;
};

// An emergency and a change of an incident must survive a power cut once written; a position
// or a feed's news may wait for the next of those.
bool IsDurable(const Event& event) {
    return std::holds_alternative<Emergency>(event.what) ||
           std::holds_alternative<IncidentChange>(event.what);
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
    const QString time = IsoTime(event.time_s);
    waiting_.push_back({.file = folder_ + '/' + IncidentFileName(time),
                        .day = time.left(10),
                        .text = QByteArray::fromStdString(JsonLine(event)) + '\n',
                        .durable = IsDurable(event)});
    if (waiting_.size() > maxWaiting_) GiveUpOldest();
    Flush();
    return waiting_.empty();
}

void IncidentLog::Retry() {
    if (!waiting_.empty()) Flush();
}

// Writes the waiting lines in order, until one cannot be.
void IncidentLog::Flush() {
    std::error_code folderError;
    std::filesystem::create_directories(QFile::encodeName(folder_).toStdString(), folderError);
    if (folderError) return Stopped(folder_, folderError.message());
    const std::size_t kept = waiting_.size();
    std::optional<AppendFile> file;
    while (!waiting_.empty()) {
        const Line& line = waiting_.front();
        if (!file || file->Path() != line.file) file.emplace(line.file);
        if (!file->IsOpen() || !file->Write(line.text, line.durable))
            return Stopped(line.file, file->Problem());
        syncedLines_ += line.durable;
        if (line.file != lastFile_) {  // a new day, or the first line of this run
            lastFile_ = line.file;
            RemoveOld(line.day);
        }
        waiting_.pop_front();
    }
    if (health_.writing) return;
    platform::LogLine(platform::Level::Warning)
        << "the incident log is written again: the " << kept << " line(s) kept meanwhile are in it"
        << (health_.lost > 0
                ? "; " + std::to_string(health_.lost) + " older line(s) were lost, too many waited"
                : std::string());
    health_ = LogHealth{};
    if (onHealth_) onHealth_();
}

void IncidentLog::Stopped(const QString& file, const std::string& problem) {
    const bool told = !health_.writing;
    health_.writing = false;
    health_.problem = problem;
    health_.waiting = waiting_.size();
    if (!told) {
        platform::LogLine(platform::Level::Warning)
            << "the incident log " << file.toStdString() << " cannot be written: " << problem
            << "; what happens is kept and written when it can be again (an emergency is "
               "still shown and told)";
    }
    if (onHealth_) onHealth_();
}

void IncidentLog::GiveUpOldest() {
    waiting_.pop_front();
    if (++health_.lost == 1) {
        platform::LogLine(platform::Level::Warning)
            << "the incident log still cannot be written and " << maxWaiting_
            << " lines wait: from now on the oldest waiting line is lost for each new one";
    }
}

}  // namespace incidents
