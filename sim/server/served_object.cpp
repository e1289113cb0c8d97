#include "sim/server/served_object.h"

#include <oleauto.h>

#include <new>

#include "core/error.h"
#include "core/text.h"
#include "sim/automation.h"
#include "sim/server/host_objects.h"
#include "win/com.h"

namespace dravosk::sim::server {

namespace {

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

ServedObject::ServedObject(ServerState& state, ObjectRef ref, std::span<const Member> members)
    : CountedObject(state), ref_(ref), members_(members) {}

ULONG ServedObject::Release() {
    // The count as it stands, read by taking one reference more and giving it back: the last
    // release is the one that can be made to wait.
    com_object::AddRef();
    if (com_object::Release() == 1) {
        state_.traps().enter(u"Release");
    }
    return com_object::Release();
}

HRESULT ServedObject::GetTypeInfoCount(UINT* count) {
    if (!count) {
        return E_POINTER;
    }
    *count = 0;
    return S_OK;
}

HRESULT ServedObject::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info) {
        *info = nullptr;
    }
    return DISP_E_BADINDEX;
}

const ServedObject::Member* ServedObject::find(DISPID id) const {
    for (const Member& member : members_) {
        if (member.id == id) {
            return &member;
        }
    }
    return nullptr;
}

const ServedObject::Member* ServedObject::find(const wchar_t* name) const {
    for (const Member& member : members_) {
        if (equalsIgnoringAsciiCase(member.name, view(name))) {
            return &member;
        }
    }
    return nullptr;
}

HRESULT ServedObject::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
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

HRESULT ServedObject::Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params,
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

    state_.traps().enter(member->name);
    win::unique_variant value;
    try {
        run(*member, Arguments(*params), value.addressof());
    } catch (const DispatchFailure& failure) {
        if (argErr && failure.argErr != static_cast<UINT>(-1)) {
            *argErr = failure.argErr;
        }
        return failure.hr;
    } catch (const Error& error) {
        return reportError(error, exception);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    if (result) {
        *result = value.get();  // the caller owns it now
        ::VariantInit(value.addressof());
    }
    return S_OK;
}

void ServedObject::getProperty(const Member& member, VARIANT* result) {
    propertyToVariant(state_, state_.model().get(ref_, member.name), result);
}

}  // namespace dravosk::sim::server
