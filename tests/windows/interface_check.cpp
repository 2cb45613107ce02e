// The station program's interfaces as compiled into the type library, checked against the
// identifiers, operation numbers and parameter types the host documents for them, written out
// here by hand and not taken from the IDL both sides are built from. Also the busy-call filter.
// Usage: interface_check.exe UIView32.tlb   (exit 0 when everything holds)
#include <objbase.h>
#include <oleauto.h>
#include <windows.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "com/MessageFilter.h"
#include "win32/Text.h"

namespace {

int checks = 0;
int failures = 0;

void Expect(bool ok, const std::string& what) {
    ++checks;
    if (ok) return;
    ++failures;
    std::printf("FAIL: %s\n", what.c_str());
}

GUID Guid(const wchar_t* text) {
    GUID guid{};
    CLSIDFromString(text, &guid);
    return guid;
}

// A parameter's type in the host's words: "Double", "Single", "Long", "Integer", "String",
// "Boolean", "Object", with "&" when it goes by reference.
std::string TypeName(const TYPEDESC& type) {
    if (type.vt == VT_PTR) {
        const TYPEDESC& to = *type.lptdesc;
        // An object by reference: a pointer to an interface pointer or to an interface.
        const TYPEDESC& inner = to.vt == VT_PTR ? *to.lptdesc : to;
        if ((to.vt == VT_PTR || to.vt == VT_USERDEFINED) &&
            (inner.vt == VT_USERDEFINED || inner.vt == VT_DISPATCH))
            return "Object&";
        return TypeName(to) + "&";
    }
    static const std::map<VARTYPE, std::string> kNames = {
        {VT_R8, "Double"},   {VT_R4, "Single"},    {VT_I4, "Long"},        {VT_I2, "Integer"},
        {VT_BSTR, "String"}, {VT_BOOL, "Boolean"}, {VT_DISPATCH, "Object"}};
    const auto found = kNames.find(type.vt);
    return found != kNames.end() ? found->second : "vt" + std::to_string(type.vt);
}

struct Operation {
    int number;  // counted from 1 after IUnknown's and IDispatch's
    const wchar_t* name;
    const char* parameters;  // their types, with a space between two
};

struct Interface {
    const wchar_t* iid;
    const char* label;
    std::vector<Operation> operations;
};

const std::vector<Interface> kInterfaces = {
    {L"{B25676EA-9000-4002-96F6-7D4724FBDE75}",
     "application",
     {{4, L"DistanceAndBearing", "Double& Double& Double& Double& Double& Double& Boolean&"},
      {7, L"GetStation", "Object& Boolean&"},
      {10, L"RedrawMap", ""},
      {12, L"GetAprsData", "String&"},
      {13, L"GetMap", "Object&"}}},
    {L"{33CFA044-2826-11D4-82E8-00C0DF464FC9}",
     "map",
     {{3, L"DrawCircle", "Single& Single& Single& Long& Single& Double& Single&"},
      {13, L"GetScale", "Single&"},
      {24, L"SetDrawWidth", "Integer&"},
      {28, L"SetFillStyle", "Integer&"},
      {30, L"SetFillColor", "Long&"}}},
    {L"{17202B0A-6C64-4F07-AB0E-93B7EA9590EA}",
     "station",
     {{2, L"SetCallsign", "String"},
      {11, L"GetBeaconText", "String&"},
      {13, L"GetMessageType", "String&"},
      {23, L"GetLongitude", "Single&"},
      {25, L"GetLatitude", "Single&"},
      {35, L"GetSpeed", "Single&"},
      {37, L"GetCourse", "Integer&"},
      {47, L"GetAltitude", "Single&"},
      {49, L"GetDistance", "Single&"}}},
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

// The library's type information of this identifier, or nullptr and a failure.
ITypeInfo* Find(ITypeLib* library, const wchar_t* guid, const std::string& label) {
    ITypeInfo* info = nullptr;
    if (SUCCEEDED(library->GetTypeInfoOfGuid(Guid(guid), &info))) return info;
    Expect(false, label + " is in the library");
    return nullptr;
}

// The type information that a reference of this one names: the vtable side of a dual
// interface (-1), a class's default interface (0).
ITypeInfo* Referenced(ITypeInfo* info, UINT index) {
    HREFTYPE ref = 0;
    ITypeInfo* other = nullptr;
    if (SUCCEEDED(info->GetRefTypeOfImplType(index, &ref))) info->GetRefTypeInfo(ref, &other);
    return other;
}

void CheckInterface(ITypeLib* library, const Interface& expected) {
    ITypeInfo* dispatch = Find(library, expected.iid, std::string("the ") + expected.label);
    if (!dispatch) return;
    ITypeInfo* info = Referenced(dispatch, static_cast<UINT>(-1));
    if (!info) (info = dispatch)->AddRef();
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
        const std::wstring name = Name(info, function->memid);
        Expect(name == op.name,
               label + " is " + win32::Utf8(op.name) + ", not " + win32::Utf8(name));
        Expect(function->oVft == SHORT((6 + op.number) * sizeof(void*)),
               label + " sits in vtable slot " + std::to_string(6 + op.number));
        std::string types;
        for (SHORT i = 0; i < function->cParams; ++i)
            types.append(i ? " " : "").append(TypeName(function->lprgelemdescParam[i].tdesc));
        Expect(types == op.parameters, label + " parameters: " + types);
        info->ReleaseFuncDesc(function);
    }
    info->Release();
    dispatch->Release();
}

void CheckEvents(ITypeLib* library, const Events& expected) {
    const std::string label = expected.label;
    ITypeInfo* info = Find(library, expected.iid, "the " + label);
    if (!info) return;
    TYPEATTR* attributes = nullptr;
    info->GetTypeAttr(&attributes);
    Expect(attributes->typekind == TKIND_DISPATCH, label + " is a dispinterface");
    Expect(attributes->cFuncs == expected.count, label + ": " + std::to_string(expected.count) +
                                                     " events, not " +
                                                     std::to_string(attributes->cFuncs));
    info->ReleaseTypeAttr(attributes);
    for (UINT i = 0; i < expected.firstNames.size(); ++i) {
        FUNCDESC* function = nullptr;
        if (FAILED(info->GetFuncDesc(i, &function))) continue;
        Expect(Name(info, function->memid) == expected.firstNames[i] && function->cParams == 0,
               label + " event " + std::to_string(i + 1) + " is " +
                   win32::Utf8(expected.firstNames[i]) + " without arguments");
        info->ReleaseFuncDesc(function);
    }
    info->Release();
}

void CheckClass(ITypeLib* library, const Class& expected) {
    const std::string label = "class " + win32::Utf8(expected.clsid);
    ITypeInfo* info = Find(library, expected.clsid, label);
    if (!info) return;
    ITypeInfo* implemented = Referenced(info, 0);
    TYPEATTR* attributes = nullptr;
    if (implemented && SUCCEEDED(implemented->GetTypeAttr(&attributes))) {
        Expect(attributes->guid == Guid(expected.defaultInterface),
               label + " implements " + win32::Utf8(expected.defaultInterface));
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
    std::printf("%d interface checks, %d failed\n", checks, failures);
    return failures == 0 ? 0 : 1;
}
