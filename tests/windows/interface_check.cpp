// The station program's interfaces as compiled into the type library, checked against the
// identifiers, operation numbers and parameter types the host documents for them, written out
// here by hand and not taken from the IDL both sides are built from. Also the busy-call filter.
// Usage: interface_check.exe UIView32.tlb   (exit 0 when everything holds)
#include <objbase.h>
#include <oleauto.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "com/MessageFilter.h"

namespace {

int failures = 0;

void Expect(bool ok, const std::string& what) {
    if (ok) return;
    ++failures;
    std::printf("FAIL: %s\n", what.c_str());
}

GUID Guid(const wchar_t* text) {
    GUID guid{};
    CLSIDFromString(text, &guid);
    return guid;
}

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

// A parameter's type in the host's words: "Double", "Single", "Long", "Integer", "String",
// "Boolean", "Object", with "&" when it goes by reference.
std::string TypeName(ITypeInfo* info, const TYPEDESC& type) {
    switch (type.vt) {
        case VT_PTR:
            if (type.lptdesc->vt == VT_PTR || type.lptdesc->vt == VT_USERDEFINED) {
                const TYPEDESC& inner =
                    type.lptdesc->vt == VT_PTR ? *type.lptdesc->lptdesc : *type.lptdesc;
                if (inner.vt == VT_USERDEFINED || inner.vt == VT_DISPATCH) return "Object&";
            }
            return TypeName(info, *type.lptdesc) + "&";
        case VT_R8:
            return "Double";
        case VT_R4:
            return "Single";
        case VT_I4:
            return "Long";
        case VT_I2:
            return "Integer";
        case VT_BSTR:
            return "String";
        case VT_BOOL:
            return "Boolean";
        case VT_DISPATCH:
            return "Object";
        default:
            return "vt" + std::to_string(type.vt);
    }
}

struct Operation {
    int number;  // counted from 1 after IUnknown's and IDispatch's
    const wchar_t* name;
    std::vector<std::string> parameters;
};

struct Interface {
    const wchar_t* iid;
    const char* label;
    std::vector<Operation> operations;
};

const std::vector<Interface> kInterfaces = {
    {L"{B25676EA-9000-4002-96F6-7D4724FBDE75}",
     "application",
     {{4,
       L"DistanceAndBearing",
       {"Double&", "Double&", "Double&", "Double&", "Double&", "Double&", "Boolean&"}},
      {7, L"GetStation", {"Object&", "Boolean&"}},
      {10, L"RedrawMap", {}},
      {12, L"GetAprsData", {"String&"}},
      {13, L"GetMap", {"Object&"}}}},
    {L"{33CFA044-2826-11D4-82E8-00C0DF464FC9}",
     "map",
     {{3,
       L"DrawCircle",
       {"Single&", "Single&", "Single&", "Long&", "Single&", "Double&", "Single&"}},
      {13, L"GetScale", {"Single&"}},
      {24, L"SetDrawWidth", {"Integer&"}},
      {28, L"SetFillStyle", {"Integer&"}},
      {30, L"SetFillColor", {"Long&"}}}},
    {L"{17202B0A-6C64-4F07-AB0E-93B7EA9590EA}",
     "station",
     {{2, L"SetCallsign", {"String"}},
      {11, L"GetBeaconText", {"String&"}},
      {13, L"GetMessageType", {"String&"}},
      {23, L"GetLongitude", {"Single&"}},
      {25, L"GetLatitude", {"Single&"}},
      {35, L"GetSpeed", {"Single&"}},
      {37, L"GetCourse", {"Integer&"}},
      {47, L"GetAltitude", {"Single&"}},
      {49, L"GetDistance", {"Single&"}}}},
};

struct Events {
    const wchar_t* iid;
    const char* label;
    UINT count;
    std::vector<const wchar_t*> firstNames;  // the events the add-on handles, in order
};

const std::vector<Events> kEvents = {
    {L"{4E5B83DB-9C4C-4CD8-99B7-F92957F6864C}",
     "application events",
     9,
     {L"DataAvailable", L"UIView32IsClosing"}},
    {L"{33CFA049-2826-11D4-82E8-00C0DF464FC9}", "map events", 2, {L"MapRedrawn"}},
};

struct Class {
    const wchar_t* clsid;
    const wchar_t* defaultInterface;
};

const std::vector<Class> kClasses = {
    {L"{33CFA0BD-2826-11D4-82E8-00C0DF464FC9}", L"{B25676EA-9000-4002-96F6-7D4724FBDE75}"},
    {L"{33CFA0BB-2826-11D4-82E8-00C0DF464FC9}", L"{17202B0A-6C64-4F07-AB0E-93B7EA9590EA}"},
};

std::wstring Name(ITypeInfo* info, MEMBERID id) {
    BSTR name = nullptr;
    if (FAILED(info->GetDocumentation(id, &name, nullptr, nullptr, nullptr))) return L"";
    std::wstring text(name ? name : L"");
    SysFreeString(name);
    return text;
}

// The vtable side of a dual interface.
ITypeInfo* VtableSide(ITypeInfo* info) {
    HREFTYPE ref = 0;
    ITypeInfo* side = nullptr;
    if (SUCCEEDED(info->GetRefTypeOfImplType(static_cast<UINT>(-1), &ref)))
        info->GetRefTypeInfo(ref, &side);
    return side ? side : (info->AddRef(), info);
}

void CheckInterface(ITypeLib* library, const Interface& expected) {
    ITypeInfo* dispatch = nullptr;
    if (FAILED(library->GetTypeInfoOfGuid(Guid(expected.iid), &dispatch))) {
        Expect(false, std::string("the ") + expected.label + " interface is in the library");
        return;
    }
    ITypeInfo* info = VtableSide(dispatch);
    TYPEATTR* attributes = nullptr;
    info->GetTypeAttr(&attributes);
    const UINT count = attributes->cFuncs;
    info->ReleaseTypeAttr(attributes);
    for (const Operation& op : expected.operations) {
        const std::string label =
            std::string(expected.label) + " operation " + std::to_string(op.number);
        FUNCDESC* function = nullptr;
        // Operation N is the interface's own function N - 1, in vtable slot 6 + N.
        if (UINT(op.number) > count || FAILED(info->GetFuncDesc(op.number - 1, &function))) {
            Expect(false, label + " exists");
            continue;
        }
        Expect(Name(info, function->memid) == op.name,
               label + " is " + Narrow(op.name) + ", not " + Narrow(Name(info, function->memid)));
        Expect(function->oVft == SHORT((6 + op.number) * sizeof(void*)),
               label + " sits in vtable slot " + std::to_string(6 + op.number));
        std::vector<std::string> types;
        for (SHORT i = 0; i < function->cParams; ++i)
            types.push_back(TypeName(info, function->lprgelemdescParam[i].tdesc));
        std::string got;
        for (const auto& t : types) got += t + " ";
        Expect(types == op.parameters, label + " parameters: " + got);
        info->ReleaseFuncDesc(function);
    }
    info->Release();
    dispatch->Release();
}

void CheckEvents(ITypeLib* library, const Events& expected) {
    ITypeInfo* info = nullptr;
    if (FAILED(library->GetTypeInfoOfGuid(Guid(expected.iid), &info))) {
        Expect(false, std::string("the ") + expected.label + " interface is in the library");
        return;
    }
    TYPEATTR* attributes = nullptr;
    info->GetTypeAttr(&attributes);
    Expect(attributes->typekind == TKIND_DISPATCH,
           std::string(expected.label) + " is a dispinterface");
    Expect(attributes->cFuncs == expected.count,
           std::string(expected.label) + ": " + std::to_string(expected.count) + " events, not " +
               std::to_string(attributes->cFuncs));
    info->ReleaseTypeAttr(attributes);
    for (UINT i = 0; i < expected.firstNames.size(); ++i) {
        FUNCDESC* function = nullptr;
        if (FAILED(info->GetFuncDesc(i, &function))) continue;
        Expect(Name(info, function->memid) == expected.firstNames[i] && function->cParams == 0,
               std::string(expected.label) + " event " + std::to_string(i + 1) + " is " +
                   Narrow(expected.firstNames[i]) + " without arguments");
        info->ReleaseFuncDesc(function);
    }
    info->Release();
}

void CheckClass(ITypeLib* library, const Class& expected) {
    ITypeInfo* info = nullptr;
    const std::string label = "class " + Narrow(expected.clsid);
    if (FAILED(library->GetTypeInfoOfGuid(Guid(expected.clsid), &info))) {
        Expect(false, label + " is in the library");
        return;
    }
    HREFTYPE ref = 0;
    ITypeInfo* implemented = nullptr;
    TYPEATTR* attributes = nullptr;
    if (SUCCEEDED(info->GetRefTypeOfImplType(0, &ref)) &&
        SUCCEEDED(info->GetRefTypeInfo(ref, &implemented)) &&
        SUCCEEDED(implemented->GetTypeAttr(&attributes))) {
        Expect(attributes->guid == Guid(expected.defaultInterface),
               label + " implements " + Narrow(expected.defaultInterface));
        implemented->ReleaseTypeAttr(attributes);
    } else {
        Expect(false, label + " names its interface");
    }
    if (implemented) implemented->Release();
    info->Release();
}

void CheckBusyFilter() {
    com::BusyRetryFilter filter;
    const DWORD cancel = static_cast<DWORD>(-1);
    Expect(filter.RetryRejectedCall(nullptr, 0, SERVERCALL_RETRYLATER) ==
               com::BusyRetryFilter::kRetryAfterMs,
           "a busy host is asked again");
    Expect(filter.RetryRejectedCall(nullptr, com::BusyRetryFilter::kLimitMs - 1,
                                    SERVERCALL_RETRYLATER) != cancel,
           "a busy host is asked again until the limit");
    Expect(filter.RetryRejectedCall(nullptr, com::BusyRetryFilter::kLimitMs,
                                    SERVERCALL_RETRYLATER) == cancel,
           "a host busy past the limit fails the call");
    Expect(filter.RetryRejectedCall(nullptr, 0, SERVERCALL_REJECTED) == cancel,
           "a call refused outright fails at once");
    IMessageFilter* current = nullptr;
    {
        com::MessageFilterScope scope;
        Expect(scope.Registered(), "the filter is registered");
        CoRegisterMessageFilter(nullptr, &current);
        Expect(current != nullptr, "the apartment has a filter while it lives");
        IMessageFilter* none = nullptr;
        CoRegisterMessageFilter(current, &none);
        if (current) current->Release();
    }
    current = nullptr;
    CoRegisterMessageFilter(nullptr, &current);
    Expect(current == nullptr, "the filter is gone with its scope");
    if (current) current->Release();
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2 || FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 2;
    ITypeLib* library = nullptr;
    if (FAILED(LoadTypeLibEx(argv[1], REGKIND_NONE, &library))) {
        std::printf("FAIL: the type library cannot be read\n");
        return 1;
    }
    TLIBATTR* attributes = nullptr;
    library->GetLibAttr(&attributes);
    Expect(attributes->guid == Guid(L"{33CFA0C0-2826-11D4-82E8-00C0DF464FC9}"),
           "the library is UIView32's");
    library->ReleaseTLibAttr(attributes);
    for (const Interface& i : kInterfaces) CheckInterface(library, i);
    for (const Events& e : kEvents) CheckEvents(library, e);
    for (const Class& c : kClasses) CheckClass(library, c);
    library->Release();
    CheckBusyFilter();
    CoUninitialize();
    return failures == 0 ? 0 : 1;
}
