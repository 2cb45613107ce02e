// The stand-in host's record of every call it receives, one line per call ("SetDrawWidth 5"),
// and the calls it was told to fail.
#pragma once

#include <charconv>
#include <cstdio>
#include <functional>
#include <map>
#include <string>

namespace standin {

class CallLog {
public:
    // Appends to path; an empty path records nothing.
    void Open(const std::wstring& path);
    ~CallLog();

    // Writes the line and tells whether this call is one that must fail.
    bool Enter(const std::string& name, const std::string& arguments = {});
    void Note(const std::string& line);

    // "GetStation:3": the third call of GetStation fails.
    void PlanFailure(const std::string& plan);

    // Also told each line, when set (the host's window shows them).
    std::function<void(const std::string&)> onLine;

private:
    std::FILE* file_ = nullptr;
    std::map<std::string, int> counts_;
    std::map<std::string, int> failures_;
};

// Numbers as the log writes them: shortest text that reads back the same.
template <typename T>
std::string Number(T value) {
    char text[32];
    return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}

}  // namespace standin
