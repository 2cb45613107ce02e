// The busy-call retry filter.
#include "com/MessageFilter.h"

namespace com {

HRESULT BusyRetryFilter::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IMessageFilter) {
        *object = static_cast<IMessageFilter*>(this);
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

DWORD BusyRetryFilter::HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO) {
    return SERVERCALL_ISHANDLED;
}

DWORD BusyRetryFilter::RetryRejectedCall(HTASK, DWORD elapsedMs, DWORD rejectType) {
    if (rejectType == SERVERCALL_RETRYLATER && elapsedMs < kLimitMs) return kRetryAfterMs;
    return static_cast<DWORD>(-1);  // cancel: the call fails with RPC_E_CALL_REJECTED
}

DWORD BusyRetryFilter::MessagePending(HTASK, DWORD, DWORD) {
    return PENDINGMSG_WAITDEFPROCESS;
}

MessageFilterScope::MessageFilterScope() {
    registered_ = SUCCEEDED(CoRegisterMessageFilter(&filter_, &previous_));
}

MessageFilterScope::~MessageFilterScope() {
    if (!registered_) return;
    IMessageFilter* ours = nullptr;
    CoRegisterMessageFilter(previous_, &ours);
    if (previous_) previous_->Release();
}

}  // namespace com
