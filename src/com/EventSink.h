// Receiving a COM object's events: a sink that answers for one events interface and calls a
// handler per dispatch identifier, and the advice that keeps it connected.
#pragma once

#include <ocidl.h>
#include <windows.h>
#include <wrl/client.h>

#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace com {

using Microsoft::WRL::ComPtr;

// The dispatch identifiers of an events interface's members, in the order the interface lists
// them, read from the type library registered for libid. Throws host::HostError when the
// library or the interface is not registered.
std::vector<DISPID> EventDispIds(const GUID& libid, const GUID& eventsIid);

// A sink for one events interface. Handlers run on the apartment's thread; an event the sink
// has no handler for is accepted and ignored. Nothing a handler throws reaches the caller.
class EventSink final : public IDispatch {
public:
    using Handlers = std::map<DISPID, std::function<void()>>;
    // Created with one reference, which the caller owns.
    static ComPtr<EventSink> Create(const IID& eventsIid, Handlers handlers);

    // IUnknown: answers for IUnknown, IDispatch and the events interface.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    // IDispatch: only Invoke does anything.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*,
                                     EXCEPINFO*, UINT*) override;

private:
    EventSink(const IID& eventsIid, Handlers handlers)
        : eventsIid_(eventsIid), handlers_(std::move(handlers)) {}
    virtual ~EventSink() = default;

    IID eventsIid_;
    Handlers handlers_;
    LONG references_ = 1;
};

// A sink connected to a source object's connection point for as long as this lives.
class Advice {
public:
    // Throws host::HostError when the source has no such connection point or refuses.
    Advice(IUnknown* source, const IID& eventsIid, IDispatch* sink);
    // Disconnects; a source that went away meanwhile is no error.
    ~Advice();
    Advice(const Advice&) = delete;
    Advice& operator=(const Advice&) = delete;

private:
    ComPtr<IConnectionPoint> point_;
    DWORD cookie_ = 0;
};

}  // namespace com
