#include "tests/host/fake_objects.h"

#include "win/com.h"

namespace dravosk::host::test {

void FakeDispatch::add(const std::wstring& name, Handler handler, DISPID id) {
    if (id == 0) {
        id = static_cast<DISPID>(ids_.size() + 1);
    }
    ids_[name] = id;
    handlers_[id] = std::move(handler);
}

namespace {

Handler valueHandler(std::function<void(VARIANT&)> fill) {
    return [fill](DISPPARAMS&, VARIANT* result, EXCEPINFO*) {
        if (!result) {
            return E_INVALIDARG;
        }
        fill(*result);
        return S_OK;
    };
}

}  // namespace

void FakeDispatch::addValue(const std::wstring& name, std::function<void(VARIANT&)> fill,
                            DISPID id) {
    add(name, valueHandler(std::move(fill)), id);
}

void FakeDispatch::setDefaultValue(std::function<void(VARIANT&)> fill) {
    handlers_[DISPID_VALUE] = valueHandler(std::move(fill));
}

void FakeDispatch::addObject(const std::wstring& name, IDispatch* object, DISPID id) {
    addValue(
        name,
        [object](VARIANT& v) {
            v.vt = VT_DISPATCH;
            v.pdispVal = object;
            if (object) {
                object->AddRef();
            }
        },
        id);
}

HRESULT FakeDispatch::QueryInterface(REFIID iid, void** out) {
    if (iid == IID_IUnknown || iid == IID_IDispatch) {
        *out = static_cast<IDispatch*>(this);
    } else if (iid == IID_ISupportErrorInfo && supportsErrorInfo) {
        *out = static_cast<ISupportErrorInfo*>(this);
    } else {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

HRESULT FakeDispatch::GetTypeInfoCount(UINT* count) {
    *count = 0;
    return S_OK;
}

HRESULT FakeDispatch::GetTypeInfo(UINT, LCID, ITypeInfo**) {
    return E_NOTIMPL;
}

HRESULT FakeDispatch::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (count != 1) {
        return E_INVALIDARG;
    }
    if (refusals > 0) {
        --refusals;
        return callersRuntime ? callersRuntime(refusal) : refusal;
    }
    ++lookups[names[0]];
    const auto found = ids_.find(names[0]);
    ids[0] = found == ids_.end() ? DISPID_UNKNOWN : found->second;
    return found == ids_.end() ? DISP_E_UNKNOWNNAME : S_OK;
}

HRESULT FakeDispatch::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                             VARIANT* result, EXCEPINFO* excepinfo, UINT* argErr) {
    if (refusals > 0) {
        --refusals;
        return callersRuntime ? callersRuntime(refusal) : refusal;
    }
    invocations.push_back({id, flags, {params->rgvarg, params->rgvarg + params->cArgs}, !!result});
    const auto found = handlers_.find(id);
    const HRESULT hr = found == handlers_.end() ? DISP_E_MEMBERNOTFOUND
                                                : found->second(*params, result, excepinfo);
    if (hr == DISP_E_TYPEMISMATCH && argErr) {
        *argErr = badArgument;
    }
    return hr;
}

HRESULT FakeDispatch::InterfaceSupportsErrorInfo(REFIID iid) {
    return iid == IID_IDispatch ? S_OK : S_FALSE;
}

FakeEnum::FakeEnum(std::vector<win::unique_variant>* items, std::shared_ptr<EnumLog> log)
    : items_(items), log_(std::move(log)) {}

HRESULT FakeEnum::QueryInterface(REFIID iid, void** out) {
    if (iid == IID_IUnknown || iid == IID_IEnumVARIANT) {
        *out = static_cast<IEnumVARIANT*>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

HRESULT FakeEnum::Next(ULONG celt, VARIANT* out, ULONG* fetched) {
    if (refusals > 0) {
        --refusals;
        return refusal;
    }
    log_->requests.push_back(celt);
    HRESULT hr = S_OK;
    ULONG n = 0;
    if (failAfter != S_OK && log_->requests.size() > 1) {
        hr = failAfter;
    } else {
        for (; n < celt && next_ < items_->size(); ++n, ++next_) {
            ::VariantCopy(&out[n], (*items_)[next_].addressof());
        }
        hr = n == celt || emptyIsOk ? S_OK : S_FALSE;
    }
    if (fetched) {
        *fetched = n;
    }
    log_->answers.push_back(hr);
    return hr;
}

win::unique_variant variantOf(IDispatch* object) {
    win::unique_variant v;
    v.addressof()->vt = VT_DISPATCH;
    v.addressof()->pdispVal = object;
    if (object) {
        object->AddRef();
    }
    return v;
}

win::unique_variant variantI4(std::int32_t value) {
    win::unique_variant v;
    v.addressof()->vt = VT_I4;
    v.addressof()->lVal = value;
    return v;
}

win::unique_variant variantText(const std::u16string& text) {
    win::unique_variant v;
    v.addressof()->vt = VT_BSTR;
    v.addressof()->bstrVal = ::SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()),
                                                 static_cast<UINT>(text.size()));
    return v;
}

}  // namespace dravosk::host::test
