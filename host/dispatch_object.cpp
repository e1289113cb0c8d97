#include "host/dispatch_object.h"

#include <string>
#include <type_traits>
#include <utility>

#include "core/error.h"
#include "core/text.h"
#include "host/com_error.h"
#include "host/dispatch_enumerator.h"
#include "win/unique_bstr.h"
#include "win/unique_excepinfo.h"
#include "win/text.h"
#include "win/unique_variant_array.h"
#include "host/variant_object.h"

namespace dravosk::host {

namespace {

constexpr LCID kCallLocale = LOCALE_USER_DEFAULT;

// Invoke wants its arguments last to first. This is the one place that reverses them.
void fillArguments(std::span<const HostArg> args, win::unique_variant_array& rgvarg,
                   const std::u16string& where) {
    const std::size_t count = args.size();
    for (std::size_t i = 0; i < count; ++i) {
        VARIANT& v = rgvarg[count - 1 - i];
        std::visit(
            [&](auto value) {
                using T = decltype(value);
                if constexpr (std::is_same_v<T, std::int32_t>) {
                    v.vt = VT_I4;
                    v.lVal = value;
                } else if constexpr (std::is_same_v<T, double>) {
                    v.vt = VT_R8;
                    v.dblVal = value;
                } else {
                    static_assert(std::is_same_v<T, double*>);
                    if (!value) {
                        throw Error(static_cast<std::int32_t>(E_POINTER),
                                    u"Interner Fehler: Rückgabeargument ohne Speicherplatz.",
                                    where);
                    }
                    v.vt = VT_BYREF | VT_R8;
                    v.pdblVal = value;
                }
            },
            args[i]);
    }
}

}  // namespace

DispatchObject::DispatchObject(win::com_ptr<IDispatch> dispatch,
                               std::shared_ptr<OutgoingCalls> calls)
    : dispatch_(std::move(dispatch)),
      calls_(calls ? std::move(calls) : std::make_shared<OutgoingCalls>()) {}

DispatchObject::~DispatchObject() {
    calls_->release(identity_.detach());
    calls_->release(dispatch_.detach());
}

DISPID DispatchObject::dispid(const std::u16string& member) {
    if (const auto found = dispids_.find(member); found != dispids_.end()) {
        return found->second;
    }
    std::wstring name = win::wide(member);
    LPOLESTR names[] = {name.data()};
    DISPID id = DISPID_UNKNOWN;
    const HRESULT hr = calls_->make(member, [&] {
        id = DISPID_UNKNOWN;
        return dispatch_->GetIDsOfNames(IID_NULL, names, 1, kCallLocale, &id);
    });
    if (FAILED(hr)) {
        throw errorFromCall(*calls_, hr, member, dispatch_.get(), IID_IDispatch);
    }
    dispids_.emplace(member, id);
    return id;
}

win::unique_variant DispatchObject::get(DISPID id, const std::u16string& where) {
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    win::unique_variant result;
    win::unique_excepinfo excepinfo;
    UINT argErr = 0;
    const HRESULT hr = calls_->make(where, [&] {
        excepinfo.reset();
        argErr = 0;
        return dispatch_->Invoke(id, IID_NULL, kCallLocale, DISPATCH_METHOD | DISPATCH_PROPERTYGET,
                                 &none, result.reset_and_addressof(), excepinfo.addressof(),
                                 &argErr);
    });
    if (FAILED(hr)) {
        throw errorFromCall(*calls_, hr, where, dispatch_.get(), IID_IDispatch, &excepinfo);
    }
    if (result.vt() & VT_BYREF) {
        win::unique_variant direct;
        const HRESULT copied = ::VariantCopyInd(direct.addressof(), result.addressof());
        if (FAILED(copied)) {
            throw errorFromHresult(copied, where);
        }
        return direct;
    }
    return result;
}

HostObjectPtr DispatchObject::getObject(std::u16string_view member) {
    const std::u16string name(member);
    win::unique_variant value = get(dispid(name), name);
    const ClearedThrough valueGoes(*calls_, *value.addressof());
    win::com_ptr<IDispatch> object;
    const HRESULT hr = dispatchOf(value.get(), object, *calls_);
    if (hr == DISP_E_TYPEMISMATCH) {
        throw Error(static_cast<std::int32_t>(hr),
                    u"Typen unverträglich: erwartet wurde ein Objekt, geliefert wurde " +
                        describeVarType(value.vt()) + u".",
                    name);
    }
    if (FAILED(hr)) {
        throw errorFromHresult(hr, name);
    }
    if (!object) {
        return nullptr;
    }
    return std::make_unique<DispatchObject>(std::move(object), calls_);
}

win::unique_variant DispatchObject::plainValue(win::unique_variant value,
                                               const std::u16string& where) {
    // The platform's coercion would ask an object for its default value itself, and ask again
    // for as long as the answer is an object: a host whose default value is an object again
    // would take it down the stack until it overflows. So it is asked here, once.
    if (!holdsObject(value.get())) {
        return value;
    }
    const ClearedThrough valueGoes(*calls_, *value.addressof());
    win::com_ptr<IDispatch> object;
    const HRESULT hr = dispatchOf(value.get(), object, *calls_);
    if (FAILED(hr) || !object) {
        // An object that cannot be driven by name has no default value to ask for.
        throw Error(static_cast<std::int32_t>(DISP_E_TYPEMISMATCH),
                    u"Typen unverträglich: erwartet wurde ein Wert, geliefert wurde " +
                        std::u16string(FAILED(hr) ? u"ein Objekt ohne Standardwert"
                                                  : u"ein leerer Objektverweis") +
                        u" (" + describeVarType(value.vt()) + u").",
                    where);
    }
    win::unique_variant inner = DispatchObject(std::move(object), calls_).get(DISPID_VALUE, where);
    if (holdsObject(inner.get())) {
        // Given back through the calls like every other reference: the error unwinds past it,
        // so it goes back only after the report.
        const ClearedThrough innerGoes(*calls_, *inner.addressof());
        throw Error(static_cast<std::int32_t>(DISP_E_TYPEMISMATCH),
                    u"Typen unverträglich: erwartet wurde ein Wert, geliefert wurde ein Objekt, "
                    u"dessen Standardwert wieder ein Objekt ist.",
                    where);
    }
    return inner;
}

bool DispatchObject::getBool(std::u16string_view member) {
    const std::u16string name(member);
    win::unique_variant value = plainValue(get(dispid(name), name), name);
    if (value.vt() == VT_NULL || value.vt() == VT_EMPTY) {
        return false;
    }
    win::unique_variant converted;
    const HRESULT hr = ::VariantChangeTypeEx(converted.addressof(), value.addressof(),
                                             LOCALE_INVARIANT, 0, VT_BOOL);
    if (FAILED(hr)) {
        throw errorFromCall(
            *calls_, hr, name, nullptr, IID_NULL, nullptr,
            describeVarType(value.vt()) + u" kann nicht als Wahrheitswert genommen werden");
    }
    return converted.get().boolVal != VARIANT_FALSE;
}

std::u16string DispatchObject::getText(std::u16string_view member) {
    const std::u16string name(member);
    win::unique_variant value = plainValue(get(dispid(name), name), name);
    switch (value.vt()) {
        case VT_NULL:
            throw Error(static_cast<std::int32_t>(DISP_E_TYPEMISMATCH),
                        u"Unzulässige Verwendung von Null: Der Wert ist Null und kann nicht als "
                        u"Text genommen werden.",
                        name);
        case VT_EMPTY:
            return {};
        case VT_BSTR:
            return win::unique_bstr::textOf(value.get().bstrVal);
        default:
            break;
    }
    win::unique_variant converted;
    const HRESULT hr = ::VariantChangeTypeEx(converted.addressof(), value.addressof(),
                                             LOCALE_INVARIANT, 0, VT_BSTR);
    if (FAILED(hr)) {
        throw errorFromCall(*calls_, hr, name, nullptr, IID_NULL, nullptr,
                            describeVarType(value.vt()) + u" kann nicht als Text genommen werden");
    }
    return win::unique_bstr::textOf(converted.get().bstrVal);
}

void DispatchObject::call(std::u16string_view member, std::span<const HostArg> args) {
    const std::u16string name(member);
    const DISPID id = dispid(name);
    win::unique_variant_array rgvarg(args.size());
    fillArguments(args, rgvarg, name);
    DISPPARAMS params{rgvarg.data(), nullptr, static_cast<UINT>(args.size()), 0};
    win::unique_excepinfo excepinfo;
    UINT argErr = 0;
    const HRESULT hr = calls_->make(name, [&] {
        excepinfo.reset();
        argErr = 0;
        return dispatch_->Invoke(id, IID_NULL, kCallLocale, DISPATCH_METHOD, &params, nullptr,
                                 excepinfo.addressof(), &argErr);
    });
    if (FAILED(hr)) {
        std::u16string detail;
        // For these two Invoke names the offending argument, counted from the end.
        if ((hr == DISP_E_TYPEMISMATCH || hr == DISP_E_PARAMNOTFOUND) && argErr < args.size()) {
            detail = u"Argument " + decimal(args.size() - argErr);
        }
        throw errorFromCall(*calls_, hr, name, dispatch_.get(), IID_IDispatch, &excepinfo, detail);
    }
    // rgvarg is the caller's, in only: a host that wrote into it rather than through the
    // references has not filled Dravosk's values, whatever else it did.
    for (std::size_t i = 0; i < args.size(); ++i) {
        double* const* reference = std::get_if<double*>(&args[i]);
        if (!reference) {
            continue;
        }
        VARIANT& v = rgvarg[args.size() - 1 - i];
        if (v.vt == (VT_BYREF | VT_R8) && v.pdblVal == *reference) {
            continue;
        }
        const bool sameType = v.vt == (VT_BYREF | VT_R8);
        const std::u16string what =
            sameType ? u"einen Verweis auf fremden Speicher" : describeVarType(v.vt);
        // Whatever the host put there is not Dravosk's to release.
        v.vt = VT_EMPTY;
        throw Error(static_cast<std::int32_t>(sameType ? E_UNEXPECTED : DISP_E_TYPEMISMATCH),
                    u"Korvane hat das Rückgabeargument " + decimal(i + 1) +
                        u" überschrieben, statt den Wert einzutragen: erwartet wurde ein "
                        u"Verweis auf Dravosks Gleitkommazahl (VT_BYREF|VT_R8), übrig blieb " +
                        what + u".",
                    name);
    }
}

HostEnumeratorPtr DispatchObject::enumerate() {
    const std::u16string where = u"_NewEnum";
    win::unique_variant value = get(DISPID_NEWENUM, where);
    const ClearedThrough valueGoes(*calls_, *value.addressof());
    win::com_ptr<IUnknown> unknown;
    const ReleasedThrough<IUnknown> unknownGoes(*calls_, unknown);
    if (value.vt() == VT_UNKNOWN) {
        unknown = win::com_ptr<IUnknown>(value.get().punkVal);
    } else if (value.vt() == VT_DISPATCH) {
        unknown = win::com_ptr<IUnknown>(value.get().pdispVal);
    } else {
        throw Error(static_cast<std::int32_t>(DISP_E_TYPEMISMATCH),
                    u"Typen unverträglich: Die Auflistung lieferte statt eines Enumerators " +
                        describeVarType(value.vt()) + u".",
                    where);
    }
    if (!unknown) {
        throw Error(static_cast<std::int32_t>(E_POINTER),
                    u"Die Auflistung lieferte keinen Enumerator.", where);
    }
    win::com_ptr<IEnumVARIANT> enumerator;
    const HRESULT hr = calls_->make(u"QueryInterface", [&] {
        return unknown->QueryInterface(IID_IEnumVARIANT, enumerator.put_void());
    });
    if (FAILED(hr)) {
        calls_->release(enumerator.detach());
        throw errorFromHresult(hr, where);
    }
    return std::make_unique<DispatchEnumerator>(std::move(enumerator), calls_);
}

HostIdentity DispatchObject::identity() {
    if (!identity_) {
        const std::u16string where = u"QueryInterface";
        win::com_ptr<IUnknown> unknown;
        const HRESULT hr = calls_->make(
            where, [&] { return dispatch_->QueryInterface(IID_IUnknown, unknown.put_void()); });
        if (FAILED(hr) || !unknown) {
            calls_->release(unknown.detach());
            throw errorFromHresult(FAILED(hr) ? hr : E_POINTER, where);
        }
        identity_ = std::move(unknown);
    }
    return reinterpret_cast<HostIdentity>(identity_.get());
}

}  // namespace dravosk::host
