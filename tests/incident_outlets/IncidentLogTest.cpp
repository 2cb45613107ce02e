// The incident log: lines survive a crash in the middle of another, files are per day, and a
// full disk loses no line and is told, with the system's reason, at each stop and recovery.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/resource.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "fakes/FileText.h"
#include "fakes/IncidentEvents.h"
#include "fakes/LogCapture.h"
#include "fakes/TempFolder.h"
#include "incident_outlets/IncidentExport.h"
#include "incident_outlets/IncidentLog.h"
#include "incident_outlets/JsonLines.h"

namespace incidents {
namespace {

using fakes::At;
using fakes::LoggedEmergency;
using fakes::LoggedPosition;
using fakes::LoggedWatch;

std::vector<std::string> Lines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream file(path, std::ios::binary);
    for (std::string line; std::getline(file, line);)
        if (!line.empty()) lines.push_back(line);
    return lines;
}

bool IsObject(const std::string& line) {
    return nlohmann::json::parse(line, nullptr, false).is_object();
}

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(IncidentLog, OneFilePerDayOneObjectPerLineAndACutLineLosesOnlyItself) {
    LogCapture logged;
    LoggedWatch w;
    EXPECT_TRUE(logged.lines.empty()) << "writes that succeed say nothing";
    EXPECT_EQ(Lines(w.File("2026-12-06")).size(), 2);
    ASSERT_EQ(Lines(w.File("2026-12-07")).size(), 4);
    for (const std::string& line : Lines(w.File("2026-12-07"))) EXPECT_TRUE(IsObject(line)) << line;
    for (const char* day : {"2026-12-06", "2026-12-07"})
        EXPECT_EQ(fakes::ReadAll(w.File(day)).find("\n\n"), std::string::npos)
            << "no empty line between two lines of " << day;

    // A crash in the middle of a line leaves it without its end; the next line starts anew.
    std::ofstream(w.File("2026-12-07"), std::ios::app) << "{\"event\":\"posi";
    ASSERT_TRUE(w.log.Append(LoggedPosition("2026-12-07T09:00:00Z", "Q4HIKE-7", 45.81, 8.98)));
    // A copy of a packet heard before is no new event.
    EXPECT_TRUE(
        w.log.Append(LoggedEmergency("2026-12-07T09:00:01Z", "Q4HIKE-7", 45.81, 8.98, true)));
    const std::vector<std::string> lines = Lines(w.File("2026-12-07"));
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(fakes::ReadAll(w.File("2026-12-07")).find("\n\n"), std::string::npos);
    EXPECT_TRUE(IsObject(lines.back()));
    const IncidentHistory history = ReadIncidents(w.log.Folder(), std::nullopt);
    EXPECT_EQ(history.unreadableLines, 1);
    EXPECT_EQ(history.tracks.at("Q4HIKE-7").size(), 2u);
}

// A power cut must not take an emergency or an incident's change that was reported written;
// positions and the rest wait for the next of those, off the frame's path.
TEST(IncidentLog, EmergenciesAndChangesReachTheDiskBeforeTheyCountAsWritten) {
    LoggedWatch w;
    EXPECT_EQ(w.log.SyncedLines(), 2u) << "the two emergencies, not the positions nor the ack";
    Change opened;
    opened.incident = 1;
    opened.callsign = "Q7MOB-9";
    opened.time_s = At("2026-12-07T09:00:00Z");
    ASSERT_TRUE(w.log.Append({opened.time_s, IncidentChange{opened}}));
    ASSERT_TRUE(w.log.Append(LoggedPosition("2026-12-07T09:00:05Z", "Q7MOB-9", 45.5, 9.1)));
    EXPECT_TRUE(w.log.Append(LoggedEmergency("2026-12-07T09:00:06Z", "Q7MOB-9", 45.5, 9.1, true)));
    EXPECT_EQ(w.log.SyncedLines(), 3u) << "the change; a copy is not written at all";
}

TEST(IncidentLog, AFolderThatCannotBeMadeIsToldNotFatal) {
    fakes::TempFolder dir;
    std::ofstream(dir.Path() + "/file") << "";
    IncidentLog log(dir.Path() + "/file/incidents");
    LogCapture logged;
    EXPECT_FALSE(log.Append(LoggedPosition("2026-12-07T09:00:00Z", "Q4HIKE-7", 45.81, 8.98)));
    EXPECT_FALSE(log.Append(LoggedPosition("2026-12-07T09:01:00Z", "Q4HIKE-7", 45.82, 8.98)));
    ASSERT_EQ(logged.lines.size(), 1u) << "told once";
    EXPECT_EQ(logged.lines[0].first, platform::Level::Warning);
    EXPECT_NE(
        logged.lines[0].second.find("cannot be written: " + std::string(std::strerror(ENOTDIR))),
        std::string::npos)
        << logged.lines[0].second;
}

// A folder on a file system that fills up and has room again: a small tmpfs where the test
// may mount one (as root), else a file size limit standing in for it.
class FullDisk {
public:
    FullDisk() {
        mounted_ = ::mount("tmpfs", dir_.Path().c_str(), "tmpfs", MS_NOSUID | MS_NODEV,
                           "size=64k,mode=0700") == 0;
        if (!mounted_) {
            ::getrlimit(RLIMIT_FSIZE, &roomy_);
            oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails instead
        }
    }
    ~FullDisk() {
        if (mounted_) {
            ::umount2(dir_.Path().c_str(), MNT_DETACH);
        } else {
            MakeRoom();
            std::signal(SIGXFSZ, oldHandler_);
        }
    }
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;

    std::string Folder() const { return dir_.Path(); }
    // What the system says when a write does not fit.
    std::string Reason() const { return std::strerror(mounted_ ? ENOSPC : EFBIG); }

    // No room left but what the log's last page (or the limit) still takes: a line or two.
    void Fill(const std::string& logFile) {
        if (!mounted_) {
            rlimit full = roomy_;
            full.rlim_cur = rlim_t(std::filesystem::file_size(logFile) + 600);
            ::setrlimit(RLIMIT_FSIZE, &full);
            return;
        }
        std::ofstream filler(FillerPath(), std::ios::binary);
        const std::string block(4096, 'x');
        while (filler.write(block.data(), std::streamsize(block.size())) && filler.flush()) {
        }
    }
    void MakeRoom() {
        if (mounted_)
            std::filesystem::remove(FillerPath());
        else
            ::setrlimit(RLIMIT_FSIZE, &roomy_);
    }

private:
    std::string FillerPath() const { return dir_.Path() + "/filler"; }

    fakes::TempFolder dir_;
    bool mounted_ = false;
    rlimit roomy_{};
    void (*oldHandler_)(int) = SIG_DFL;
};

TEST(IncidentLog, AFullDiskLosesNoLineSaysWhyAndSaysSoAgainAfterEachRecovery) {
    FullDisk disk;
    IncidentLog log(disk.Folder() + "/incidents");
    const std::string file = log.Folder() + "/incidents-2026-12-07.jsonl";
    std::size_t healthChanges = 0;
    log.SetHealthListener([&healthChanges] { ++healthChanges; });
    std::vector<std::string> shown;  // each emergency's callsign, as the watch showed them
    const auto nextEmergency = [&shown] {
        shown.push_back("Q" + std::to_string(shown.size()) + "MOB-9");
        return LoggedEmergency("2026-12-07T10:00:00Z", shown.back().c_str(), 45.5, 9.1);
    };
    LogCapture logged;
    ASSERT_TRUE(log.Append(nextEmergency()));
    for (int stop = 0; stop < 2; ++stop) {
        disk.Fill(file);
        while (log.Health().writing && shown.size() < 400) log.Append(nextEmergency());
        ASSERT_FALSE(log.Health().writing) << "the disk did not fill";
        for (int gap = 0; gap < 8; ++gap) EXPECT_FALSE(log.Append(nextEmergency()));
        EXPECT_EQ(log.Health().problem, disk.Reason());
        EXPECT_GE(log.Health().waiting, 9u);
        log.Retry();  // still full: the lines keep waiting, nothing is said again
        disk.MakeRoom();
        const std::size_t changes = healthChanges;
        log.Retry();
        EXPECT_TRUE(log.Health().writing);
        EXPECT_EQ(log.Health().waiting, 0u);
        EXPECT_GT(healthChanges, changes) << "the dashboard hears of the recovery";
    }
    ASSERT_EQ(logged.lines.size(), 4u) << "each stop and each recovery is told once";
    for (std::size_t i = 0; i < logged.lines.size(); ++i) {
        EXPECT_EQ(logged.lines[i].first, platform::Level::Warning);
        const std::string expected =
            i % 2 == 0 ? "cannot be written: " + disk.Reason() : "is written again";
        EXPECT_NE(logged.lines[i].second.find(expected), std::string::npos)
            << logged.lines[i].second;
    }
    // An emergency shown is an emergency logged: each one whole, once, in its order.
    const std::vector<std::string> lines = Lines(file);
    ASSERT_EQ(lines.size(), shown.size());
    for (std::size_t i = 0; i < shown.size(); ++i) {
        EXPECT_TRUE(IsObject(lines[i])) << i;
        EXPECT_NE(lines[i].find(shown[i]), std::string::npos) << i;
    }
}

TEST(IncidentLog, WhenTooManyLinesWaitTheOldestAreGivenUpAndThatIsTold) {
    fakes::TempFolder dir;
    const std::string blocker = dir.Path() + "/data";  // a file where the log's folder should be
    std::ofstream(blocker) << "";
    IncidentLog log(dir.Path() + "/data/incidents");
    log.SetMaxWaiting(3);
    LogCapture logged;
    for (int minute = 0; minute < 5; ++minute) {
        const std::string time = "2026-12-07T09:0" + std::to_string(minute) + ":00Z";
        EXPECT_FALSE(log.Append(LoggedPosition(time.c_str(), "Q4HIKE-7", 45 + minute, 8.98)));
    }
    EXPECT_EQ(log.Health().problem, std::strerror(ENOTDIR));
    EXPECT_EQ(log.Health().waiting, 3u);
    EXPECT_EQ(log.Health().lost, 2u);
    ASSERT_EQ(logged.lines.size(), 2u) << "the stop, then the first line given up";
    EXPECT_NE(logged.lines[1].second.find("3 lines wait"), std::string::npos);

    std::filesystem::remove(blocker);
    log.Retry();
    ASSERT_EQ(logged.lines.size(), 3u);
    EXPECT_NE(logged.lines[2].second.find("2 older line(s) were lost"), std::string::npos)
        << logged.lines[2].second;
    const std::vector<std::string> lines = Lines(log.Folder() + "/incidents-2026-12-07.jsonl");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_NE(lines[0].find("47"), std::string::npos) << "the newest three are kept: " << lines[0];
}

TEST(IncidentLog, KeepsTheDaysAskedForAndRemovesOlderFiles) {
    LoggedWatch w;
    for (const char* name : {"incidents-2026-09-08.jsonl", "notes.txt"})  // notes: not ours
        std::ofstream(w.log.Folder() + "/" + name) << "";
    IncidentLog log(w.log.Folder());  // the next run
    log.KeepDays(90);                 // 2026-12-07 and the 89 days before: from 2026-09-09 on
    ASSERT_TRUE(log.Append({At("2026-12-07T10:00:00Z"), AlarmOn{}}));
    EXPECT_EQ(FilesIn(w.log.Folder()),
              (std::vector<std::string>{"incidents-2026-12-06.jsonl", "incidents-2026-12-07.jsonl",
                                        "notes.txt"}));

    log.KeepDays(0);  // everything kept
    log.RemoveOld("2027-12-31");
    EXPECT_EQ(FilesIn(w.log.Folder()).size(), 3u);
}

}  // namespace
}  // namespace incidents
