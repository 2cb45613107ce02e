// The user's command on POSIX: posix_spawn into a process group of its own, signals to the group.
#ifndef _WIN32
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

#include "incident_outlets/CommandProcess.h"

extern char** environ;

namespace incidents {
namespace {

// The environment as it is, with the variables set over it.
std::vector<std::string> Environment(const Variables& variables) {
    std::vector<std::string> entries;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string_view text(*entry);
        const std::string_view name = text.substr(0, text.find('='));
        const bool replaced = std::any_of(variables.begin(), variables.end(),
                                          [&](const auto& v) { return v.first == name; });
        if (!replaced) entries.emplace_back(text);
    }
    for (const auto& [name, value] : variables) entries.push_back(name + '=' + value);
    return entries;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts) pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

// The summary lies in the pipe before the command starts: it cannot end before we write, and
// no write of ours ever meets a pipe closed at the other end.
bool FillPipe(int fds[2], std::string_view input) {
    if (::pipe2(fds, O_CLOEXEC) != 0) return false;
    constexpr std::size_t kRoom = 4096;  // what any pipe holds without a reader
    input = input.substr(0, kRoom);
    return ::write(fds[1], input.data(), input.size()) == static_cast<ssize_t>(input.size());
}

bool IsExecutableFile(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

}  // namespace

struct CommandProcess::Handles {
    pid_t pid = 0;  // also the group's number
};

platform::Result<std::string> FindProgram(const std::string& name) {
    std::string found;
    if (name.find('/') != std::string::npos) {
        found = name;
    } else {
        const char* path = std::getenv("PATH");
        std::string_view folders = path != nullptr ? path : "/usr/bin:/bin";
        while (found.empty() && !folders.empty()) {
            const std::size_t colon = std::min(folders.find(':'), folders.size());
            const std::string folder(folders.substr(0, colon));
            folders.remove_prefix(std::min(colon + 1, folders.size()));
            const std::string candidate = (folder.empty() ? "." : folder) + '/' + name;
            if (IsExecutableFile(candidate)) found = candidate;
        }
    }
    std::error_code error;
    if (found.empty() || !std::filesystem::exists(found, error))
        return platform::Fail(name + ": no such program");
    if (!IsExecutableFile(found)) return platform::Fail(name + ": not an executable program");
    return found;
}

platform::Result<std::unique_ptr<CommandProcess>> CommandProcess::Start(
    const std::vector<std::string>& words, const Variables& variables, std::string_view input) {
    int fds[2] = {-1, -1};
    if (!FillPipe(fds, input)) {
        const int error = errno;
        for (const int fd : fds)
            if (fd >= 0) ::close(fd);
        return platform::Fail(words.front() + ": " + std::strerror(error));
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[0], STDIN_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // A group of its own; signals as a fresh program has them, whatever ours are.
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setflags(
        &attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    std::vector<std::string> arguments = words, environment = Environment(variables);
    auto handles = std::make_unique<Handles>();
    const int error = ::posix_spawnp(&handles->pid, words.front().c_str(), &actions, &attributes,
                                     Pointers(arguments).data(), Pointers(environment).data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    ::close(fds[0]);
    ::close(fds[1]);  // the command reads to the end of the summary
    if (error != 0) return platform::Fail(words.front() + ": " + std::strerror(error));
    return std::unique_ptr<CommandProcess>(new CommandProcess(std::move(handles)));
}

CommandProcess::CommandProcess(std::unique_ptr<Handles> handles) : handles_(std::move(handles)) {}

// A command that is still running when its watcher goes is left to end on its own; one that
// ended is reaped.
CommandProcess::~CommandProcess() {
    Ended();
}

bool CommandProcess::Ended() {
    if (ended_) return true;
    int status = 0;
    pid_t reaped = ::waitpid(handles_->pid, &status, WNOHANG);
    while (reaped < 0 && errno == EINTR) reaped = ::waitpid(handles_->pid, &status, WNOHANG);
    if (reaped == 0) return false;
    ended_ = true;
    if (reaped < 0) return true;  // reaped elsewhere: how it ended is not known
    crashed_ = WIFSIGNALED(status);
    code_ = WIFEXITED(status) ? WEXITSTATUS(status) : 0;
    return true;
}

bool CommandProcess::WaitEnded(int ms) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!Ended()) {
        if (std::chrono::steady_clock::now() >= until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// A member that has ended but was not reaped yet (its parent gone, adopted by a slow init) does
// not count: it needs no KILL.
bool CommandProcess::GroupAlive() const {
    const pid_t group = handles_->pid;
    if (::kill(-group, 0) != 0) return false;
    std::error_code error;
    for (std::filesystem::directory_iterator entry("/proc", error), end; !error && entry != end;
         entry.increment(error)) {
        const std::string pid = entry->path().filename().string();
        if (pid.empty() || pid.front() < '0' || pid.front() > '9') continue;
        std::ifstream stat(entry->path() / "stat");
        const std::string text((std::istreambuf_iterator<char>(stat)), {});
        // "pid (name) state ppid pgrp ...": the name may hold anything, even ")".
        const std::size_t close = text.rfind(')');
        if (close == std::string::npos) continue;
        char state = 0;
        long parent = 0, processGroup = 0;
        if (std::sscanf(text.c_str() + close + 1, " %c %ld %ld", &state, &parent, &processGroup) ==
                3 &&
            processGroup == group && state != 'Z')
            return true;
    }
    return false;
}

void CommandProcess::AskToEnd() {
    ::kill(-handles_->pid, SIGTERM);
}

void CommandProcess::Kill() {
    ::kill(-handles_->pid, SIGKILL);
}

}  // namespace incidents
#endif
