#include "sim/server/dispatch_object.h"

#include <oleauto.h>

#include <new>

#include "core/error.h"
#include "sim/server/call_trap.h"
#include "sim/server/host_objects.h"

namespace dravosk::sim::server {

namespace {

bool sameNameIgnoringCase(std::u16string_view member, const wchar_t* name) {
    std::size_t i = 0;
    for (; name[i] != L'\0'; ++i) {
        if (i == member.size()) {
            return false;
        }
        const auto lower = [](wchar_t c) {
            return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
        };
        if (lower(name[i]) != lower(static_cast<wchar_t>(member[i]))) {
            return false;
        }
    }
    return i == member.size();
}

std::u16string_view view(const wchar_t* text) {
    return {reinterpret_cast<const char16_t*>(text), wcslen(text)};
}

}  // namespace

HRESULT reportError(const Error& error, EXCEPINFO* exception) {
    const auto number = static_cast<HRESULT>(error.number());
    switch (number) {
        case DISP_E_UNKNOWNNAME:
        case DISP_E_MEMBERNOTFOUND:
        case DISP_E_BADPARAMCOUNT:
        case DISP_E_TYPEMISMATCH:
            return number;
        default:
            break;
    }
    if (exception) {
        *exception = EXCEPINFO{};
        // A number of 0 would read as success on the client.
        exception->scode = number != 0 ? number : E_FAIL;
        exception->bstrSource = SysAllocString(L"Korvane");
        const std::u16string& description = error.description();
        exception->bstrDescription =
            SysAllocStringLen(reinterpret_cast<const OLECHAR*>(description.data()),
                              static_cast<UINT>(description.size()));
    }
    return DISP_E_EXCEPTION;
}

DispatchObject::DispatchObject(ServerState& state, ObjectRef ref, std::span<const Member> members)
    : CountedObject(state), ref_(ref), members_(members) {}

HRESULT DispatchObject::QueryInterface(REFIID riid, void** object) {
    if (!object) {
        return E_POINTER;
    }
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch)) {
        *object = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG DispatchObject::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&references_));
}

ULONG DispatchObject::Release() {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) {
        delete this;
    }
    return static_cast<ULONG>(left);
}

HRESULT DispatchObject::GetTypeInfoCount(UINT* count) {
    if (!count) {
        return E_POINTER;
    }
    *count = 0;
    return S_OK;
}

HRESULT DispatchObject::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info) {
        *info = nullptr;
    }
    return DISP_E_BADINDEX;
}

const DispatchObject::Member* DispatchObject::find(DISPID id) const {
    for (const Member& member : members_) {
        if (member.id == id) {
            return &member;
        }
    }
    return nullptr;
}

const DispatchObject::Member* DispatchObject::find(const wchar_t* name) const {
    for (const Member& member : members_) {
        if (sameNameIgnoringCase(member.name, name)) {
            return &member;
        }
    }
    return nullptr;
}

HRESULT DispatchObject::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (!IsEqualIID(riid, IID_NULL)) {
        return DISP_E_UNKNOWNINTERFACE;
    }
    if (!names || !ids || count == 0 || !names[0]) {
        return E_INVALIDARG;
    }
    const Member* member = find(names[0]);
    if (member && state_.model().isMissing(member->name)) {
        member = nullptr;
    }
    state_.countRoundTrip("GetIDsOfNames", member ? member->name : view(names[0]));
    for (UINT i = 0; i < count; ++i) {
        ids[i] = DISPID_UNKNOWN;
    }
    if (!member) {
        return DISP_E_UNKNOWNNAME;
    }
    ids[0] = member->id;
    // None of the members has named parameters.
    return count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
}

HRESULT DispatchObject::Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params,
                               VARIANT* result, EXCEPINFO* exception, UINT* argErr) {
    const Member* member = find(id);
    state_.countRoundTrip("Invoke", member ? member->name : u"?");
    if (!IsEqualIID(riid, IID_NULL)) {
        return DISP_E_UNKNOWNINTERFACE;
    }
    if (!params) {
        return E_POINTER;
    }
    if (!member) {
        return DISP_E_MEMBERNOTFOUND;
    }
    constexpr WORD kPut = DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF;
    constexpr WORD kGet = DISPATCH_PROPERTYGET;
    constexpr WORD kMethod = DISPATCH_METHOD;
    const bool formFits =
        (flags & kPut) == 0 && (member->form == Form::property ? (flags & kGet) != 0
                                : member->form == Form::method ? (flags & kMethod) != 0
                                                               : (flags & (kGet | kMethod)) != 0);
    if (!formFits) {
        return DISP_E_MEMBERNOTFOUND;
    }
    if (params->cNamedArgs != 0) {
        return DISP_E_NONAMEDARGS;
    }
    if (member->form != Form::method && params->cArgs != 0) {
        return DISP_E_BADPARAMCOUNT;
    }
    if (params->cArgs != 0 && !params->rgvarg) {
        return E_POINTER;
    }

    callTrap().enter(member->name);
    VARIANT value;
    VariantInit(&value);
    try {
        run(*member, Arguments(*params), &value);
    } catch (const DispatchFailure& failure) {
        VariantClear(&value);
        if (argErr && failure.argErr != static_cast<UINT>(-1)) {
            *argErr = failure.argErr;
        }
        return failure.hr;
    } catch (const Error& error) {
        VariantClear(&value);
        return reportError(error, exception);
    } catch (const std::bad_alloc&) {
        VariantClear(&value);
        return E_OUTOFMEMORY;
    }
    if (result) {
        *result = value;  // the caller owns it now
    } else {
        VariantClear(&value);
    }
    return S_OK;
}

void DispatchObject::getProperty(const Member& member, VARIANT* result) {
    propertyToVariant(state_, state_.model().get(ref_, member.name), result);
}

}  // namespace dravosk::sim::server
