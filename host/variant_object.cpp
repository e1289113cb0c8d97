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
    const char* name = nullptr;
    switch (vt & VT_TYPEMASK) {
        case VT_EMPTY:
            name = "VT_EMPTY";
            break;
        case VT_NULL:
            name = "VT_NULL";
            break;
        case VT_I2:
            name = "VT_I2";
            break;
        case VT_I4:
            name = "VT_I4";
            break;
        case VT_R4:
            name = "VT_R4";
            break;
        case VT_R8:
            name = "VT_R8";
            break;
        case VT_CY:
            name = "VT_CY";
            break;
        case VT_DATE:
            name = "VT_DATE";
            break;
        case VT_BSTR:
            name = "VT_BSTR";
            break;
        case VT_DISPATCH:
            name = "VT_DISPATCH";
            break;
        case VT_ERROR:
            name = "VT_ERROR";
            break;
        case VT_BOOL:
            name = "VT_BOOL";
            break;
        case VT_VARIANT:
            name = "VT_VARIANT";
            break;
        case VT_UNKNOWN:
            name = "VT_UNKNOWN";
            break;
        default:
            break;
    }
    std::string text = "Variant-Typ " + std::to_string(vt);
    if (name) {
        text += std::string(" (") + ((vt & VT_BYREF) ? "VT_BYREF|" : "") +
                ((vt & VT_ARRAY) ? "VT_ARRAY|" : "") + name + ")";
    }
    return ascii(text);
}

}  // namespace dravosk::host
