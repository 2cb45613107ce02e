// What the apartment does with a call the station program turns down as busy: it is tried
// again, as a Visual Basic client does by default, until a bound, and only then fails.
#pragma once

#include <objbase.h>
#include <windows.h>

namespace com {

class BusyRetryFilter final : public IMessageFilter {
public:
    // How long a call the host keeps turning down is tried, and how often.
    static constexpr DWORD kLimitMs = 10000;
    static constexpr DWORD kRetryAfterMs = 100;

    // IUnknown: answers for IUnknown and IMessageFilter; lives as long as its owner.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    // Incoming calls (the host's events) are always taken.
    DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO) override;
    // A busy answer is tried again after kRetryAfterMs until kLimitMs have passed; any other
    // refusal fails at once.
    DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK, DWORD elapsedMs, DWORD rejectType) override;
    DWORD STDMETHODCALLTYPE MessagePending(HTASK, DWORD, DWORD) override;
};

// The filter for the calling thread's apartment while this lives; the earlier one after.
class MessageFilterScope {
public:
    MessageFilterScope();
    ~MessageFilterScope();
    MessageFilterScope(const MessageFilterScope&) = delete;
    MessageFilterScope& operator=(const MessageFilterScope&) = delete;
    bool Registered() const { return registered_; }

private:
    BusyRetryFilter filter_;
    IMessageFilter* previous_ = nullptr;
    bool registered_ = false;
};

}  // namespace com
