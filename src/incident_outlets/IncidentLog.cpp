// Appending events to the day's file.
#include "incident_outlets/IncidentLog.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <system_error>

#include "incident_outlets/DiskFiles.h"
#include "incident_outlets/JsonLines.h"
#include "platform/Log.h"
#include "platform/Paths.h"

namespace incidents {
namespace {

// An emergency and a change of an incident must survive a power cut once written; a position
// or a feed's news may wait for the next of those.
// A name as UTF-8 text, whatever the system's code page (a narrow string() may throw).
std::string Utf8(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

bool IsDurable(const Event& event) {
    return std::holds_alternative<Emergency>(event.what) ||
           std::holds_alternative<IncidentChange>(event.what);
}

}  // namespace

std::string IncidentLog::DefaultFolder(const std::string& dataFolder) {
    return dataFolder + "/incidents";
}

void IncidentLog::RemoveOld(const std::string& today) {
    const auto midnight = ParseIsoTime(today + "T00:00:00Z");
    if (keepDays_ <= 0 || today.size() != 10 || !midnight) return;
    // Names sort as their days do: everything before the first day kept goes.
    const std::string firstKept = IncidentFileName(IsoTime(*midnight - (keepDays_ - 1) * 86400LL));
    for (const std::string& name : DayFiles(folder_)) {
        if (name.size() != firstKept.size() || name >= firstKept) continue;
        std::error_code error;
        std::filesystem::remove(platform::FilePath(folder_ + '/' + name), error);
    }
}

std::vector<std::string> DayFiles(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code error;
    // Stepped with an error code: a folder that cannot be read gives what was read of it.
    for (std::filesystem::directory_iterator entry(platform::FilePath(folder), error), end;
         !error && entry != end; entry.increment(error)) {
        std::string name = Utf8(entry->path().filename());
        std::error_code notFile;
        if (name.starts_with("incidents-") && name.ends_with(".jsonl") &&
            entry->is_regular_file(notFile))
            names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string IncidentLog::ReplayFolder(const std::string& dataFolder, const std::string& replayFile,
                                      std::int64_t start_s) {
    std::string start = IsoTime(start_s);  // 2026-12-07T10:15:00Z -> 20261207-101500
    std::erase_if(start, [](char c) { return c == '-' || c == ':' || c == 'Z'; });
    std::replace(start.begin(), start.end(), 'T', '-');
    return dataFolder + "/replays/" + Utf8(platform::FilePath(replayFile).stem()) + '-' + start;
}

std::string IncidentFileName(const std::string& isoTime) {
    return "incidents-" + isoTime.substr(0, 10) + ".jsonl";
}

bool IncidentLog::Append(const Event& event) {
    if (const auto* e = std::get_if<Emergency>(&event.what); e != nullptr && e->copy) return true;
    const std::string time = IsoTime(event.time_s);
    waiting_.push_back({.file = folder_ + '/' + IncidentFileName(time),
                        .day = time.substr(0, 10),
                        .text = JsonLine(event) + '\n',
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
    std::filesystem::create_directories(platform::FilePath(folder_), folderError);
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

void IncidentLog::Stopped(const std::string& file, const std::string& problem) {
    const bool told = !health_.writing;
    health_.writing = false;
    health_.problem = problem;
    health_.waiting = waiting_.size();
    if (!told) {
        platform::LogLine(platform::Level::Warning)
            << "the incident log " << file << " cannot be written: " << problem
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
