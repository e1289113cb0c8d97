#include "tests/sim/server/dispatch_client.h"

#include <oleauto.h>

#include <iterator>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

namespace dravosk::sim::server::test {

namespace {

std::wstring textOf(BSTR text) {
    return text ? std::wstring(text, SysStringLen(text)) : std::wstring();
}

}  // namespace

namespace arg {

win::unique_variant i2(short value) {
    win::unique_variant v;
    V_VT(v.addressof()) = VT_I2;
    V_I2(v.addressof()) = value;
    return v;
}

win::unique_variant i4(long value) {
    win::unique_variant v;
    V_VT(v.addressof()) = VT_I4;
    V_I4(v.addressof()) = value;
    return v;
}

win::unique_variant r8(double value) {
    win::unique_variant v;
    V_VT(v.addressof()) = VT_R8;
    V_R8(v.addressof()) = value;
    return v;
}

win::unique_variant text(const std::wstring& value) {
    win::unique_variant v;
    V_BSTR(v.addressof()) = SysAllocStringLen(value.data(), static_cast<UINT>(value.size()));
    V_VT(v.addressof()) = VT_BSTR;
    return v;
}

win::unique_variant r8Ref(double* target) {
    win::unique_variant v;
    V_VT(v.addressof()) = VT_BYREF | VT_R8;
    V_R8REF(v.addressof()) = target;
    return v;
}

win::unique_variant variantRef(VARIANT* target) {
    win::unique_variant v;
    V_VT(v.addressof()) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(v.addressof()) = target;
    return v;
}

}  // namespace arg

std::wstring bstrOf(const win::unique_variant& value) {
    return value.vt() == VT_BSTR ? textOf(V_BSTR(&value.get())) : std::wstring();
}

ComRef<IDispatch> objectOf(const VARIANT& value) {
    return V_VT(&value) == VT_DISPATCH ? ComRef<IDispatch>(V_DISPATCH(&value)) : nullptr;
}

std::wstring sourceOf(const win::unique_excepinfo& exception) {
    return textOf(exception.get().bstrSource);
}

std::wstring descriptionOf(const win::unique_excepinfo& exception) {
    return textOf(exception.get().bstrDescription);
}

HRESULT dispidOf(IDispatch* object, const wchar_t* name, DISPID& id) {
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    return object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
}

Outcome invoke(IDispatch* object, const wchar_t* name, WORD flags,
               std::initializer_list<win::unique_variant> args) {
    Outcome outcome;
    DISPID id = DISPID_UNKNOWN;
    outcome.hr = dispidOf(object, name, id);
    if (FAILED(outcome.hr)) {
        return outcome;
    }
    std::vector<VARIANT> reversed;
    for (auto it = std::rbegin(args); it != std::rend(args); ++it) {
        reversed.push_back(it->get());  // still owned by `args`
    }
    DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    outcome.hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                                outcome.value.addressof(), outcome.exception.addressof(),
                                &outcome.argErr);
    return outcome;
}

win::unique_variant get(IDispatch* object, const wchar_t* name) {
    Outcome outcome = invoke(object, name, DISPATCH_PROPERTYGET);
    EXPECT_EQ(outcome.hr, S_OK) << "property read failed";
    return std::move(outcome.value);
}

ComRef<IDispatch> getObject(IDispatch* object, const wchar_t* name) {
    win::unique_variant value = get(object, name);
    EXPECT_EQ(value.vt(), VT_DISPATCH);
    ComRef<IDispatch> result = objectOf(value);
    EXPECT_TRUE(result);
    return result;
}

}  // namespace dravosk::sim::server::test
