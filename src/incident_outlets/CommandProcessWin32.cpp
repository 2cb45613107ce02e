// The user's command on Windows: CreateProcess into a job object that ends its whole tree,
// the summary on a pipe, the output to NUL.
#ifdef _WIN32
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <system_error>
#include <thread>

#include "incident_outlets/CommandProcess.h"
#include "platform/Paths.h"

namespace incidents {
namespace {

std::string SystemReason(DWORD error) {
    return std::system_category().message(static_cast<int>(error));
}

std::wstring Wide(const std::string& text) {
    return platform::FilePath(text).wstring();
}

// One argument as the C runtime reads it back: quoted when it holds blanks or quotes, with
// backslashes doubled before a quote.
std::wstring Quoted(const std::wstring& word) {
    if (!word.empty() && word.find_first_of(L" \t\n\v\"") == std::wstring::npos) return word;
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : word) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(2 * backslashes, L'\\');
    return quoted + L'"';
}

// The environment block: ours, with the variables set over it, names compared as Windows does.
std::wstring EnvironmentBlock(const Variables& variables) {
    std::map<std::wstring, std::wstring> entries;
    const auto upper = [](std::wstring name) {
        std::transform(name.begin(), name.end(), name.begin(), ::towupper);
        return name;
    };
    wchar_t* block = ::GetEnvironmentStringsW();
    for (const wchar_t* entry = block; entry != nullptr && *entry != 0;
         entry += std::wcslen(entry) + 1) {
        const std::wstring text(entry);
        const std::size_t equals = text.find(L'=', 1);  // "=C:=C:\\" names start with '='
        if (equals != std::wstring::npos) entries[upper(text.substr(0, equals))] = text;
    }
    if (block != nullptr) ::FreeEnvironmentStringsW(block);
    for (const auto& [name, value] : variables)
        entries[upper(Wide(name))] = Wide(name) + L'=' + Wide(value);
    std::wstring result;
    for (const auto& [name, entry] : entries) result += entry + L'\0';
    return result + L'\0';
}

bool IsFile(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

struct CommandProcess::Handles {
    HANDLE job = nullptr;
    HANDLE process = nullptr;
    DWORD processId = 0;
};

platform::Result<std::string> FindProgram(const std::string& name) {
    const std::wstring wide = Wide(name);
    if (name.find_first_of("/\\:") != std::string::npos) {
        if (IsFile(wide)) return name;
        if (IsFile(wide + L".exe")) return name + ".exe";
        return platform::Fail(name + ": no such program");
    }
    wchar_t found[MAX_PATH];
    if (::SearchPathW(nullptr, wide.c_str(), L".exe", MAX_PATH, found, nullptr) == 0)
        return platform::Fail(name + ": no such program");
    const std::wstring path(found);
    return std::string(path.begin(), path.end());  // only its existence is asked for
}

platform::Result<std::unique_ptr<CommandProcess>> CommandProcess::Start(
    const std::vector<std::string>& words, const Variables& variables, std::string_view input) {
    const auto fail = [&](DWORD error) {
        return platform::Fail(words.front() + ": " + SystemReason(error));
    };
    SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    constexpr DWORD kRoom = 4096;
    input = input.substr(0, kRoom);
    if (!::CreatePipe(&readEnd, &writeEnd, &inherited, kRoom)) return fail(::GetLastError());
    ::SetHandleInformation(writeEnd, HANDLE_FLAG_INHERIT, 0);
    DWORD written = 0;
    ::WriteFile(writeEnd, input.data(), static_cast<DWORD>(input.size()), &written, nullptr);
    ::CloseHandle(writeEnd);
    HANDLE nul = ::CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               &inherited, OPEN_EXISTING, 0, nullptr);

    auto handles = std::make_unique<Handles>();
    handles->job = ::CreateJobObjectW(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (handles->job != nullptr)
        ::SetInformationJobObject(handles->job, JobObjectExtendedLimitInformation, &limits,
                                  sizeof limits);

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = readEnd;
    startup.hStdOutput = nul;
    startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    std::wstring commandLine;
    for (const std::string& word : words)
        commandLine += (commandLine.empty() ? L"" : L" ") + Quoted(Wide(word));
    std::wstring environment = EnvironmentBlock(variables);
    PROCESS_INFORMATION started{};
    const BOOL created =
        ::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE,
                         CREATE_SUSPENDED | CREATE_NEW_PROCESS_GROUP | CREATE_UNICODE_ENVIRONMENT,
                         environment.data(), nullptr, &startup, &started);
    const DWORD error = ::GetLastError();
    ::CloseHandle(readEnd);
    if (nul != INVALID_HANDLE_VALUE) ::CloseHandle(nul);
    if (!created) {
        if (handles->job != nullptr) ::CloseHandle(handles->job);
        return fail(error);
    }
    if (handles->job != nullptr) ::AssignProcessToJobObject(handles->job, started.hProcess);
    ::ResumeThread(started.hThread);
    ::CloseHandle(started.hThread);
    handles->process = started.hProcess;
    handles->processId = started.dwProcessId;
    return std::unique_ptr<CommandProcess>(new CommandProcess(std::move(handles)));
}

CommandProcess::CommandProcess(std::unique_ptr<Handles> handles) : handles_(std::move(handles)) {}

// Closing the job ends what still runs in it.
CommandProcess::~CommandProcess() {
    ::CloseHandle(handles_->process);
    if (handles_->job != nullptr) ::CloseHandle(handles_->job);
}

bool CommandProcess::Ended() {
    if (ended_) return true;
    if (::WaitForSingleObject(handles_->process, 0) != WAIT_OBJECT_0) return false;
    ended_ = true;
    DWORD code = 0;
    ::GetExitCodeProcess(handles_->process, &code);
    crashed_ = code >= 0xC0000000u;  // an exception's status, not a code the program chose
    code_ = static_cast<int>(code);
    return true;
}

bool CommandProcess::WaitEnded(int ms) {
    if (ended_) return true;
    ::WaitForSingleObject(handles_->process, static_cast<DWORD>(std::max(ms, 0)));
    return Ended();
}

bool CommandProcess::GroupAlive() const {
    if (handles_->job == nullptr)
        return ::WaitForSingleObject(handles_->process, 0) != WAIT_OBJECT_0;
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting{};
    if (!::QueryInformationJobObject(handles_->job, JobObjectBasicAccountingInformation,
                                     &accounting, sizeof accounting, nullptr))
        return false;
    return accounting.ActiveProcesses > 0;
}

// Windows has no TERM: a console program of the group gets Ctrl+Break, which it may answer.
void CommandProcess::AskToEnd() {
    ::GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, handles_->processId);
}

void CommandProcess::Kill() {
    if (handles_->job != nullptr)
        ::TerminateJobObject(handles_->job, 1);
    else
        ::TerminateProcess(handles_->process, 1);
}

}  // namespace incidents
#endif
