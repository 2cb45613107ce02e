// Failed calls and BSTRs.
#include "com/ComCall.h"

#include <cstdio>

#include "host/HostPorts.h"
#include "win32/Text.h"

namespace com {

std::string FailureText(HRESULT hr, std::string_view operation) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(hr));
    std::string system = win32::ErrorText(static_cast<DWORD>(hr));
    std::string text(operation);
    text += ": ";
    if (!system.empty()) text += system + " ";
    return text + "(" + code + ")";
}

void Check(HRESULT hr, std::string_view operation) {
    if (FAILED(hr)) throw host::HostError(FailureText(hr, operation));
}

Bstr::Bstr(std::string_view utf8) {
    const std::wstring wide = win32::Utf16(utf8);
    value_ = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
}

BSTR* Bstr::Out() {
    SysFreeString(value_);
    value_ = nullptr;
    return &value_;
}

std::string Bstr::Utf8() const {
    return value_ ? win32::Utf8(std::wstring_view(value_, SysStringLen(value_))) : std::string();
}

}  // namespace com
