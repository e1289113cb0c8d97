#include "tests/sim/server/dispatch_client.h"

#include <oleauto.h>

#include <algorithm>

#include <gtest/gtest.h>

namespace dravosk::sim::server::test {

Variant Variant::i2(short value) {
    Variant v;
    V_VT(&v.v_) = VT_I2;
    V_I2(&v.v_) = value;
    return v;
}

Variant Variant::i4(long value) {
    Variant v;
    V_VT(&v.v_) = VT_I4;
    V_I4(&v.v_) = value;
    return v;
}

Variant Variant::r8(double value) {
    Variant v;
    V_VT(&v.v_) = VT_R8;
    V_R8(&v.v_) = value;
    return v;
}

Variant Variant::text(const std::wstring& value) {
    Variant v;
    V_VT(&v.v_) = VT_BSTR;
    V_BSTR(&v.v_) = SysAllocStringLen(value.data(), static_cast<UINT>(value.size()));
    return v;
}

Variant Variant::r8Ref(double* target) {
    Variant v;
    V_VT(&v.v_) = VT_BYREF | VT_R8;
    V_R8REF(&v.v_) = target;
    return v;
}

Variant Variant::variantRef(VARIANT* target) {
    Variant v;
    V_VT(&v.v_) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&v.v_) = target;
    return v;
}

std::wstring Variant::bstr() const {
    if (V_VT(&v_) != VT_BSTR || !V_BSTR(&v_)) {
        return {};
    }
    return std::wstring(V_BSTR(&v_), SysStringLen(V_BSTR(&v_)));
}

ComRef<IDispatch> Variant::object() const {
    if (V_VT(&v_) != VT_DISPATCH || !V_DISPATCH(&v_)) {
        return nullptr;
    }
    V_DISPATCH(&v_)->AddRef();
    return ComRef<IDispatch>::attach(V_DISPATCH(&v_));
}

ExceptionInfo::~ExceptionInfo() {
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrHelpFile);
}

std::wstring ExceptionInfo::source() const {
    return info.bstrSource ? std::wstring(info.bstrSource, SysStringLen(info.bstrSource))
                           : std::wstring();
}

std::wstring ExceptionInfo::description() const {
    return info.bstrDescription
               ? std::wstring(info.bstrDescription, SysStringLen(info.bstrDescription))
               : std::wstring();
}

HRESULT dispidOf(IDispatch* object, const wchar_t* name, DISPID& id) {
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    return object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
}

Outcome invoke(IDispatch* object, const wchar_t* name, WORD flags, std::vector<Variant> args) {
    Outcome outcome;
    DISPID id = DISPID_UNKNOWN;
    outcome.hr = dispidOf(object, name, id);
    if (FAILED(outcome.hr)) {
        return outcome;
    }
    std::vector<VARIANT> reversed;
    for (auto it = args.rbegin(); it != args.rend(); ++it) {
        reversed.push_back(*it->get());  // still owned by `args`
    }
    DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    outcome.hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                                outcome.value.get(), &outcome.exception.info, &outcome.argErr);
    return outcome;
}

Variant get(IDispatch* object, const wchar_t* name) {
    Outcome outcome = invoke(object, name, DISPATCH_PROPERTYGET);
    EXPECT_EQ(outcome.hr, S_OK) << "property read failed";
    return std::move(outcome.value);
}

ComRef<IDispatch> getObject(IDispatch* object, const wchar_t* name) {
    Variant value = get(object, name);
    EXPECT_EQ(value.type(), VT_DISPATCH);
    ComRef<IDispatch> result = value.object();
    EXPECT_TRUE(result);
    return result;
}

}  // namespace dravosk::sim::server::test
