// The call log.
#include "CallLog.h"

#include <cstdlib>

namespace standin {

void CallLog::Open(const std::wstring& path) {
    if (!path.empty()) file_ = _wfopen(path.c_str(), L"ab");
}

CallLog::~CallLog() {
    if (file_) std::fclose(file_);
}

bool CallLog::Enter(const std::string& name, const std::string& arguments) {
    const int count = ++counts_[name];
    const auto planned = failures_.find(name);
    const bool fail = planned != failures_.end() && planned->second == count;
    Note(name + (arguments.empty() ? "" : " " + arguments) + (fail ? " -> FAILED" : ""));
    return fail;
}

void CallLog::Note(const std::string& line) {
    if (onLine) onLine(line);
    if (!file_) return;
    std::fputs((line + "\n").c_str(), file_);
    std::fflush(file_);
}

void CallLog::PlanFailure(const std::string& plan) {
    const auto colon = plan.find(':');
    if (colon != std::string::npos)
        failures_[plan.substr(0, colon)] = std::atoi(plan.c_str() + colon + 1);
}

}  // namespace standin
