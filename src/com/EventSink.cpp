// Event sinks, their connection, and where their dispatch identifiers come from.
#include "com/EventSink.h"

#include <oleauto.h>

#include <cstdio>
#include <string>

#include "com/ComCall.h"
#include "host/HostPorts.h"

namespace com {

namespace {

std::wstring GuidText(const GUID& guid) {
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    return text;
}

// The newest version of a type library registered under HKEY_CLASSES_ROOT\TypeLib\{libid}.
bool NewestVersion(const GUID& libid, WORD& major, WORD& minor) {
    const std::wstring keyName = L"TypeLib\\" + GuidText(libid);
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, keyName.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    bool found = false;
    wchar_t name[64];
    for (DWORD i = 0;; ++i) {
        DWORD length = 64;
        if (RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        unsigned hi = 0;
        unsigned lo = 0;
        // Versions are written in hexadecimal: "1.0", "1.a".
        if (swscanf(name, L"%x.%x", &hi, &lo) != 2) continue;
        if (!found || hi > major || (hi == major && lo > minor)) {
            major = static_cast<WORD>(hi);
            minor = static_cast<WORD>(lo);
            found = true;
        }
    }
    RegCloseKey(key);
    return found;
}

}  // namespace

std::vector<DISPID> EventDispIds(const GUID& libid, const GUID& eventsIid) {
    WORD major = 0;
    WORD minor = 0;
    if (!NewestVersion(libid, major, minor))
        throw host::HostError("the type library UIView32 is not registered");
    ComPtr<ITypeLib> library;
    Check(LoadRegTypeLib(libid, major, minor, 0, &library), "LoadRegTypeLib");
    ComPtr<ITypeInfo> events;
    Check(library->GetTypeInfoOfGuid(eventsIid, &events), "GetTypeInfoOfGuid");
    TYPEATTR* attributes = nullptr;
    Check(events->GetTypeAttr(&attributes), "GetTypeAttr");
    const UINT count = attributes->cFuncs;
    events->ReleaseTypeAttr(attributes);
    std::vector<DISPID> ids;
    for (UINT i = 0; i < count; ++i) {
        FUNCDESC* function = nullptr;
        Check(events->GetFuncDesc(i, &function), "GetFuncDesc");
        ids.push_back(function->memid);
        events->ReleaseFuncDesc(function);
    }
    return ids;
}

ComPtr<EventSink> EventSink::Create(const IID& eventsIid, Handlers handlers) {
    ComPtr<EventSink> sink;
    sink.Attach(new EventSink(eventsIid, std::move(handlers)));
    return sink;
}

HRESULT EventSink::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == eventsIid_) {
        *object = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG EventSink::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&references_));
}

ULONG EventSink::Release() {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

HRESULT EventSink::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT EventSink::GetTypeInfo(UINT, LCID, ITypeInfo**) {
    return E_NOTIMPL;
}

HRESULT EventSink::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
    return E_NOTIMPL;
}

HRESULT EventSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                          UINT*) {
    if (result) VariantInit(result);
    const auto handler = handlers_.find(id);
    if (handler == handlers_.end()) return S_OK;
    // Keeps the sink alive should the handler disconnect it.
    ComPtr<EventSink> self(this);
    try {
        handler->second();
    } catch (...) {
        // The program's handlers report their own failures; nothing goes back to the source.
    }
    return S_OK;
}

Advice::Advice(IUnknown* source, const IID& eventsIid, IDispatch* sink) {
    ComPtr<IConnectionPointContainer> container;
    Check(source->QueryInterface(IID_PPV_ARGS(&container)), "IConnectionPointContainer");
    Check(container->FindConnectionPoint(eventsIid, &point_), "FindConnectionPoint");
    Check(point_->Advise(sink, &cookie_), "Advise");
}

Advice::~Advice() {
    if (point_) point_->Unadvise(cookie_);
}

}  // namespace com
