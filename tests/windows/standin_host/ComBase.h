// What every object of the stand-in host needs: a reference count, and IDispatch answered
// from the UIView32 type library embedded in the executable.
#pragma once

#include <UIView32.h>
#include <oaidl.h>
#include <windows.h>
#include <wrl/client.h>

namespace standin {

using Microsoft::WRL::ComPtr;

// The type information of one interface of the embedded type library.
ITypeInfo* TypeInfoFor(const IID& iid);

// IUnknown and IDispatch for a dual interface I, answered for IUnknown, IDispatch and I; the
// derived class adds its other interfaces in QueryOther.
template <typename I>
class DualObject : public I {
public:
    DualObject() = default;
    virtual ~DualObject() = default;
    DualObject(const DualObject&) = delete;
    DualObject& operator=(const DualObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == __uuidof(I))
            *object = static_cast<I*>(this);
        else
            *object = QueryOther(iid);
        if (!*object) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override {
        return static_cast<ULONG>(InterlockedIncrement(&references_));
    }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
        if (!info) return E_POINTER;
        if (index != 0) return DISP_E_BADINDEX;
        *info = TypeInfoFor(__uuidof(I));
        if (!*info) return E_FAIL;
        (*info)->AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                            DISPID* ids) override {
        ITypeInfo* info = TypeInfoFor(__uuidof(I));
        return info ? DispGetIDsOfNames(info, names, count, ids) : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* exception,
                                     UINT* argError) override {
        ITypeInfo* info = TypeInfoFor(__uuidof(I));
        return info ? DispInvoke(static_cast<I*>(this), info, id, flags, params, result, exception,
                                 argError)
                    : E_FAIL;
    }

protected:
    virtual void* QueryOther(const IID&) { return nullptr; }

private:
    LONG references_ = 1;
};

// An operation the add-on never calls.
#define STANDIN_UNUSED(n)                            \
    HRESULT STDMETHODCALLTYPE Unused##n() override { \
        return E_NOTIMPL;                            \
    }

}  // namespace standin

namespace standin {

// The dispatch identifier of an events interface's member at a position, from the embedded
// type library.
DISPID EventId(const IID& events, UINT position);

}  // namespace standin
