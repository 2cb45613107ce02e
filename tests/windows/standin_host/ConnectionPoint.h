// One outgoing events interface of a stand-in object: the sinks advised to it, and raising an
// event (no arguments) on each of them.
#pragma once

#include <ocidl.h>
#include <olectl.h>
#include <windows.h>
#include <wrl/client.h>

#include <functional>
#include <utility>
#include <vector>

namespace standin {

using Microsoft::WRL::ComPtr;

class ConnectionPoint final : public IConnectionPoint {
public:
    // container: the object that owns this point and outlives it. onAdvise runs after each
    // sink connects.
    ConnectionPoint(IConnectionPointContainer* container, const IID& events,
                    std::function<void()> onAdvise = {})
        : container_(container), events_(events), onAdvise_(std::move(onAdvise)) {}

    // Calls the event on every sink; a sink that fails is skipped. Returns how many took it.
    int Raise(DISPID id);
    bool Connected() const { return !sinks_.empty(); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override;
    HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** c) override;
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override;
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections**) override { return E_NOTIMPL; }

private:
    IConnectionPointContainer* container_;
    IID events_;
    std::function<void()> onAdvise_;
    std::vector<std::pair<DWORD, ComPtr<IDispatch>>> sinks_;
    DWORD nextCookie_ = 1;
    ULONG references_ = 1;
};

}  // namespace standin
