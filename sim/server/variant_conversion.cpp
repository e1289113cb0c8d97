#include "sim/server/variant_conversion.h"

#include <oleauto.h>

#include <new>

#include "win/com.h"

namespace dravosk::sim::server {

void valueToVariant(const Value& value, VARIANT* out) {
    struct Visitor {
        VARIANT* out;
        void operator()(std::monostate) const { V_VT(out) = VT_EMPTY; }
        void operator()(Null) const { V_VT(out) = VT_NULL; }
        void operator()(Nothing) const {
            V_VT(out) = VT_DISPATCH;
            V_DISPATCH(out) = nullptr;
        }
        void operator()(bool b) const {
            V_VT(out) = VT_BOOL;
            V_BOOL(out) = b ? VARIANT_TRUE : VARIANT_FALSE;
        }
        void operator()(std::int16_t i) const {
            V_VT(out) = VT_I2;
            V_I2(out) = i;
        }
        void operator()(std::int32_t i) const {
            V_VT(out) = VT_I4;
            V_I4(out) = static_cast<LONG>(i);
        }
        void operator()(double d) const {
            V_VT(out) = VT_R8;
            V_R8(out) = d;
        }
        void operator()(const std::u16string& text) const {
            // Handed over to the caller, who frees it.
            V_BSTR(out) = ::SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()),
                                              static_cast<UINT>(text.size()));
            if (V_BSTR(out) == nullptr) {
                throw std::bad_alloc();
            }
            V_VT(out) = VT_BSTR;
        }
    };
    std::visit(Visitor{out}, value);
}

VARIANTARG& Arguments::at(std::size_t index) const {
    return params_.rgvarg[position(index)];
}

VARIANT Arguments::converted(std::size_t index, VARTYPE type) const {
    win::unique_variant plain;
    HRESULT hr = VariantCopyInd(plain.addressof(), &at(index));
    if (SUCCEEDED(hr)) {
        hr = VariantChangeType(plain.addressof(), plain.addressof(), 0, type);
    }
    if (FAILED(hr)) {
        // Out of memory and overflow keep their own numbers; every other refusal is a mismatch.
        if (hr != E_OUTOFMEMORY && hr != DISP_E_OVERFLOW) {
            hr = DISP_E_TYPEMISMATCH;
        }
        throw DispatchFailure{hr, position(index)};
    }
    return plain.get();  // a number: nothing to free in the copy
}

std::int32_t Arguments::int32(std::size_t index) const {
    VARIANT v = converted(index, VT_I4);
    return static_cast<std::int32_t>(V_I4(&v));
}

double Arguments::real(std::size_t index) const {
    VARIANT v = converted(index, VT_R8);
    return V_R8(&v);
}

double* Arguments::realRef(std::size_t index) const {
    VARIANTARG& arg = at(index);
    if (V_VT(&arg) == (VT_BYREF | VT_R8) && V_R8REF(&arg)) {
        return V_R8REF(&arg);
    }
    if (V_VT(&arg) == (VT_BYREF | VT_VARIANT) && V_VARIANTREF(&arg)) {
        VARIANT* inner = V_VARIANTREF(&arg);
        if (V_VT(inner) == VT_R8) {
            return &V_R8(inner);
        }
        if (!(V_VT(inner) & VT_BYREF) && SUCCEEDED(VariantChangeType(inner, inner, 0, VT_R8))) {
            return &V_R8(inner);
        }
    }
    throw DispatchFailure{DISP_E_TYPEMISMATCH, position(index)};
}

}  // namespace dravosk::sim::server
