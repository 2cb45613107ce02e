// Calls on the station program's objects: failed calls become host::HostError, and strings
// cross as BSTRs that are always freed.
#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <oleauto.h>

#include <string>
#include <string_view>

namespace com {

// "GetStation: The RPC server is unavailable. (0x800706BA)"
std::string FailureText(HRESULT hr, std::string_view operation);

// Throws host::HostError when hr is a failure.
void Check(HRESULT hr, std::string_view operation);

// One BSTR, owned: freed when it goes, or when Out() hands it to a call to fill again.
class Bstr {
public:
    Bstr() = default;
    explicit Bstr(std::string_view utf8);
    ~Bstr() { SysFreeString(value_); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;

    BSTR Get() const { return value_; }
    // For a by-reference output: the old value is freed first.
    BSTR* Out();
    std::string Utf8() const;

private:
    BSTR value_ = nullptr;
};

}  // namespace com
