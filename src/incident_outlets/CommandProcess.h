// The user's command as a process of the system: started without a shell in a group of its own
// (a job object on Windows), so that stopping it stops whatever it started too. One
// implementation for POSIX, one for Windows.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/Result.h"

namespace incidents {

using Variables = std::vector<std::pair<std::string, std::string>>;

// The program a command's first word names: itself when it holds a path, else the first
// executable of that name on PATH; the problem when there is none or it cannot be executed.
platform::Result<std::string> FindProgram(const std::string& name);

class CommandProcess {
public:
    // Starts the words with the variables added to the environment, `input` on its standard
    // input (then closed), its output thrown away and its errors on ours.
    static platform::Result<std::unique_ptr<CommandProcess>> Start(
        const std::vector<std::string>& words, const Variables& variables, std::string_view input);
    ~CommandProcess();  // ends the group at once if it still runs (Windows), else lets it be
    CommandProcess(const CommandProcess&) = delete;
    CommandProcess& operator=(const CommandProcess&) = delete;

    // Whether the process started has ended; never waits. Once true, how it ended is known.
    bool Ended();
    // Waits up to `ms` for the process started to end.
    bool WaitEnded(int ms);
    int ExitCode() const { return code_; }
    bool Crashed() const { return crashed_; }

    // Whether any process of the group still runs.
    bool GroupAlive() const;
    // Asks the group to end (TERM).
    void AskToEnd();
    // Makes it (KILL).
    void Kill();

private:
    struct Handles;
    explicit CommandProcess(std::unique_ptr<Handles> handles);

    std::unique_ptr<Handles> handles_;
    bool ended_ = false;
    int code_ = 0;
    bool crashed_ = false;
};

}  // namespace incidents
