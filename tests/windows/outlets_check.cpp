// outlets_check.exe FOLDER: the incident outlets as the Windows build runs them. The log's lines
// and the journal in FOLDER come back as written; a folder is writable or not, and why; the
// emergency command ends with its code, and one that hangs is stopped at its limit with the process
// it started, by its job object. Exits 1 when a check fails. "--hang FOLDER" and "--sleep" are the
// hanging command's parts.
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "fakes/FileText.h"
#include "incident_outlets/DiskFiles.h"
#include "incident_outlets/EmergencyCommand.h"
#include "incident_outlets/IncidentJournal.h"
#include "incident_outlets/IncidentLog.h"
#include "incident_outlets/JsonLines.h"
#include "win32/Win32Timers.h"

namespace {

int failures = 0;

void Expect(bool ok, const std::string& what) {
    std::cout << (ok ? "ok: " : "FAILED: ") << what << std::endl;
    failures += ok ? 0 : 1;
}

std::string Self() {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::filesystem::path(std::wstring(path, length)).string();
}

// Starts a process of its own (in the job, as everything it starts), says which, and hangs.
int Hang(const std::string& folder) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child{};
    std::wstring line = L"\"" + std::filesystem::path(Self()).wstring() + L"\" --sleep";
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &child))
        return 2;
    std::ofstream(folder + "\\child") << child.dwProcessId;
    Sleep(INFINITE);
    return 0;
}

incidents::Event NewEmergency() {
    incidents::Emergency e{.unit = "km", .isNew = true};
    e.panel.text[0] = "Q7MOB-9";
    e.evidence = incidents::Evidence{.frame = "Q7MOB-9>APRS:!EMERGENCY! \xc3\xa8\x01",
                                     .cause = "Mic-E message bits 000 (Emergency)",
                                     .place = incidents::Place{45.5, 9.0}};
    return {1796637600, e};
}

void LogAndJournal(const std::string& folder) {
    incidents::IncidentLog log(folder + "\\incidents");
    incidents::IncidentBook book;
    book.SetChangeSink([&log](const incidents::Change& c) {
        log.Append({c.time_s, incidents::IncidentChange{c}});
    });
    incidents::Sighting heard;
    heard.callsign = "Q7MOB-9";
    heard.time_s = 1796637600;
    heard.micEEmergency = true;
    heard.frameKey = "Q7MOB-9>APRS:help";
    book.Observe(heard);
    Expect(log.Append(NewEmergency()), "an emergency is logged");
    const std::string day = log.Folder() + "\\incidents-2026-12-07.jsonl";
    Expect(
        fakes::ReadAll(day).find(incidents::JsonLine(NewEmergency()) + "\n") != std::string::npos,
        "the day file holds the line as written");
    incidents::IncidentJournal journal(log.Folder());
    Expect(journal.Save(book, 1796637660, true).has_value(), "the checkpoint is saved");
    incidents::IncidentBook restored;
    const incidents::TakenUp taken = incidents::IncidentJournal(log.Folder()).Restore(restored);
    Expect(taken.incidents == 1 && restored.NextNumber() == 2 && taken.stoppedCleanly,
           "the book comes back from its checkpoint");
}

// A folder still to be made is writable when its nearest existing part is; one under a file is
// not, with the system's reason; the try leaves nothing behind.
void WritableFolders(const std::string& folder) {
    Expect(incidents::FolderWritable(folder + "\\not\\yet\\made").has_value(),
           "a folder still to be made under a writable one can be written");
    std::ofstream(folder + "\\a-file") << "x";
    const auto underFile = incidents::FolderWritable(folder + "\\a-file\\incidents");
    Expect(!underFile && underFile.error().text.find("cannot be written: ") != std::string::npos,
           "a folder under a file cannot be written, and the reason is told");
    bool left = std::filesystem::exists(folder + "\\not");
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        left = left || entry.path().filename().string().starts_with("sirenwatch-probe");
    Expect(!left, "asking makes nothing and leaves nothing");
    std::filesystem::remove(folder + "\\a-file");
}

// Runs the command for a new emergency and turns the message loop until it has ended.
std::string RunCommand(const std::string& line, int limit_ms, int grace_ms) {
    win32::Win32Timers timers;
    incidents::EmergencyCommand command(timers, line, limit_ms, grace_ms);
    std::string failure;
    bool finished = false;
    command.onFailure = [&failure](const std::string& what) { failure = what; };
    command.onFinished = [&finished] { finished = true; };
    command.Run(NewEmergency());
    const DWORD until = GetTickCount() + 30000;
    for (MSG message; !finished && GetTickCount() < until;) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    }
    return finished ? failure : "did not finish";
}

bool ProcessEnds(DWORD pid) {
    const HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
    if (process == nullptr) return true;
    const bool ended = WaitForSingleObject(process, 5000) == WAIT_OBJECT_0;
    CloseHandle(process);
    return ended;
}

void Command(const std::string& folder) {
    const std::string failed = RunCommand("cmd /c exit 3", 10000, 1000);
    Expect(failed == "cmd: ended with code 3", "a command's code is told: " + failed);
    std::string line = "'";
    line.append(Self()).append("' --hang '").append(folder).append("'");
    const std::string stopped = RunCommand(line, 300, 300);
    Expect(stopped.find("still running after 0.3 s, stopped (TERM") != std::string::npos,
           "a hanging command is stopped at its limit: " + stopped);
    DWORD child = 0;
    std::ifstream(folder + "\\child") >> child;
    Expect(child != 0 && ProcessEnds(child), "what it started ends with it");
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "--sleep") return Sleep(INFINITE), 0;
    if (mode == "--hang" && argc > 2) return Hang(argv[2]);
    if (argc < 2) {
        std::cerr << "usage: outlets_check.exe FOLDER\n";
        return 2;
    }
    LogAndJournal(argv[1]);
    WritableFolders(argv[1]);
    Command(argv[1]);
    return failures == 0 ? 0 : 1;
}
