#include "host/variant_object.h"

#include <string>

#include "core/text.h"

namespace dravosk::host {

namespace {

HRESULT queryDispatch(IUnknown* unknown, win::com_ptr<IDispatch>& out, OutgoingCalls& calls) {
    if (unknown == nullptr) {
        return S_OK;
    }
    return calls.make(u"QueryInterface",
                      [&] { return unknown->QueryInterface(IID_IDispatch, out.put_void()); });
}

}  // namespace

HRESULT dispatchOf(const VARIANT& value, win::com_ptr<IDispatch>& out, OutgoingCalls& calls) {
    out.reset();
    switch (value.vt) {
        case VT_EMPTY:
        case VT_NULL:
            return S_OK;
        case VT_DISPATCH:
            out = win::com_ptr<IDispatch>(value.pdispVal);
            return S_OK;
        case VT_UNKNOWN:
            return queryDispatch(value.punkVal, out, calls);
        case VT_DISPATCH | VT_BYREF:
            out = win::com_ptr<IDispatch>(value.ppdispVal ? *value.ppdispVal : nullptr);
            return S_OK;
        case VT_UNKNOWN | VT_BYREF:
            return queryDispatch(value.ppunkVal ? *value.ppunkVal : nullptr, out, calls);
        case VT_VARIANT | VT_BYREF:
            return value.pvarVal ? dispatchOf(*value.pvarVal, out, calls) : S_OK;
        default:
            return DISP_E_TYPEMISMATCH;
    }
}

bool holdsObject(const VARIANT& value) noexcept {
    switch (value.vt) {
        case VT_DISPATCH:
        case VT_UNKNOWN:
        case VT_DISPATCH | VT_BYREF:
        case VT_UNKNOWN | VT_BYREF:
            return true;
        case VT_VARIANT | VT_BYREF:
            return value.pvarVal && holdsObject(*value.pvarVal);
        default:
            return false;
    }
}

std::u16string describeVarType(VARTYPE vt) {
    struct Named {
        VARTYPE type;
        const char* name;
    };
    static constexpr Named kNames[] = {
        {VT_EMPTY, "VT_EMPTY"},     {VT_NULL, "VT_NULL"},
        {VT_I2, "VT_I2"},           {VT_I4, "VT_I4"},
        {VT_R4, "VT_R4"},           {VT_R8, "VT_R8"},
        {VT_CY, "VT_CY"},           {VT_DATE, "VT_DATE"},
        {VT_BSTR, "VT_BSTR"},       {VT_DISPATCH, "VT_DISPATCH"},
        {VT_ERROR, "VT_ERROR"},     {VT_BOOL, "VT_BOOL"},
        {VT_VARIANT, "VT_VARIANT"}, {VT_UNKNOWN, "VT_UNKNOWN"},
    };
    std::string text = "Variant-Typ " + std::to_string(vt);
    for (const Named& named : kNames) {
        if (named.type == (vt & VT_TYPEMASK)) {
            text += std::string(" (") + ((vt & VT_BYREF) ? "VT_BYREF|" : "") +
                    ((vt & VT_ARRAY) ? "VT_ARRAY|" : "") + named.name + ")";
        }
    }
    return ascii(text);
}

}  // namespace dravosk::host
