#include "host/dispatch_object.h"

#include <iterator>
#include <string>
#include <type_traits>
#include <utility>

#include "core/error.h"
#include "core/text.h"
#include "host/com_error.h"
#include "win/com.h"
#include "win/text.h"

namespace dravosk::host {

namespace {

constexpr LCID kCallLocale = LOCALE_USER_DEFAULT;
constexpr std::u16string_view kNext = u"IEnumVARIANT::Next";

// Objects arrive as VT_DISPATCH or as VT_UNKNOWN that must answer for IDispatch. dispatchOf sets
// `out` to that interface (null for VT_EMPTY, VT_NULL and null pointers) and returns S_OK; other
// types give DISP_E_TYPEMISMATCH, an object without IDispatch QueryInterface's refusal.
HRESULT queryDispatch(IUnknown* unknown, HostRef<IDispatch>& out, OutgoingCalls& calls) {
    if (unknown == nullptr) {
        return S_OK;
    }
    return calls.make(u"QueryInterface",
                      [&] { return unknown->QueryInterface(IID_IDispatch, out.put_void()); });
}

HRESULT dispatchOf(const VARIANT& value, HostRef<IDispatch>& out, OutgoingCalls& calls) {
    switch (value.vt) {
        case VT_EMPTY:
        case VT_NULL:
            return S_OK;
        case VT_DISPATCH:
            out = HostRef<IDispatch>(value.pdispVal, calls);
            return S_OK;
        case VT_UNKNOWN:
            return queryDispatch(value.punkVal, out, calls);
        case VT_DISPATCH | VT_BYREF:
            out = HostRef<IDispatch>(value.ppdispVal ? *value.ppdispVal : nullptr, calls);
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
    // VT_EMPTY (0) to VT_UNKNOWN (13), by number.
    static constexpr const char* kNames[] = {"EMPTY", "NULL", "I2",      "I4",     "R4",
                                             "R8",    "CY",   "DATE",    "BSTR",   "DISPATCH",
                                             "ERROR", "BOOL", "VARIANT", "UNKNOWN"};
    std::string text = "Variant-Typ " + std::to_string(vt);
    if (const unsigned type = vt & VT_TYPEMASK; type < std::size(kNames)) {
        text += std::string(" (") + ((vt & VT_BYREF) ? "VT_BYREF|" : "") +
                ((vt & VT_ARRAY) ? "VT_ARRAY|" : "") + "VT_" + kNames[type] + ")";
    }
    return ascii(text);
}

// Invoke wants its arguments last to first.
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

DispatchObject::DispatchObject(HostRef<IDispatch> dispatch, std::shared_ptr<OutgoingCalls> calls)
    : calls_(std::move(calls)), dispatch_(std::move(dispatch)), identity_(*calls_) {}

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

void DispatchObject::invoke(DISPID id, WORD flags, DISPPARAMS& params, HostValue* result,
                            const std::u16string& where) {
    win::unique_excepinfo excepinfo;
    UINT argErr = 0;
    const HRESULT hr = calls_->make(where, [&] {
        excepinfo.reset();
        argErr = 0;
        return dispatch_->Invoke(id, IID_NULL, kCallLocale, flags, &params,
                                 result != nullptr ? result->reset_and_addressof() : nullptr,
                                 excepinfo.addressof(), &argErr);
    });
    if (FAILED(hr)) {
        std::u16string detail;
        // For these two Invoke names the offending argument, counted from the end.
        if ((hr == DISP_E_TYPEMISMATCH || hr == DISP_E_PARAMNOTFOUND) && argErr < params.cArgs) {
            detail = u"Argument " + decimal(params.cArgs - argErr);
        }
        throw errorFromCall(*calls_, hr, where, dispatch_.get(), IID_IDispatch, &excepinfo, detail);
    }
}

HostValue DispatchObject::get(DISPID id, const std::u16string& where) {
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    HostValue result(*calls_);
    invoke(id, DISPATCH_METHOD | DISPATCH_PROPERTYGET, none, &result, where);
    if (result.vt() & VT_BYREF) {
        HostValue direct(*calls_);
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
    const HostValue value = get(dispid(name), name);
    HostRef<IDispatch> object(*calls_);
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

HostValue DispatchObject::plainValue(HostValue value, const std::u16string& where) {
    // The platform's coercion would ask for the default value again for as long as it is an
    // object, down the stack until it overflows; so it is asked here, once.
    if (!holdsObject(value.get())) {
        return value;
    }
    HostRef<IDispatch> object(*calls_);
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
    HostValue inner = DispatchObject(std::move(object), calls_).get(DISPID_VALUE, where);
    if (holdsObject(inner.get())) {
        // The error unwinds past it, so it goes back only after the report.
        throw Error(static_cast<std::int32_t>(DISP_E_TYPEMISMATCH),
                    u"Typen unverträglich: erwartet wurde ein Wert, geliefert wurde ein Objekt, "
                    u"dessen Standardwert wieder ein Objekt ist.",
                    where);
    }
    return inner;
}

win::unique_variant DispatchObject::converted(HostValue& value, VARTYPE type,
                                              std::u16string_view as, const std::u16string& where) {
    win::unique_variant result;
    const HRESULT hr =
        ::VariantChangeTypeEx(result.addressof(), value.addressof(), LOCALE_INVARIANT, 0, type);
    if (FAILED(hr)) {
        throw errorFromCall(*calls_, hr, where, nullptr, IID_NULL, nullptr,
                            describeVarType(value.vt()) + u" kann nicht als " + std::u16string(as) +
                                u" genommen werden");
    }
    return result;
}

bool DispatchObject::getBool(std::u16string_view member) {
    const std::u16string name(member);
    HostValue value = plainValue(get(dispid(name), name), name);
    if (value.vt() == VT_NULL || value.vt() == VT_EMPTY) {
        return false;
    }
    return converted(value, VT_BOOL, u"Wahrheitswert", name).get().boolVal != VARIANT_FALSE;
}

std::u16string DispatchObject::getText(std::u16string_view member) {
    const std::u16string name(member);
    HostValue value = plainValue(get(dispid(name), name), name);
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
    return win::unique_bstr::textOf(converted(value, VT_BSTR, u"Text", name).get().bstrVal);
}

void DispatchObject::call(std::u16string_view member, std::span<const HostArg> args) {
    const std::u16string name(member);
    const DISPID id = dispid(name);
    win::unique_variant_array rgvarg(args.size());
    fillArguments(args, rgvarg, name);
    DISPPARAMS params{rgvarg.data(), nullptr, static_cast<UINT>(args.size()), 0};
    invoke(id, DISPATCH_METHOD, params, nullptr, name);
    // rgvarg is in only: a host that wrote into it, not through the references, filled nothing.
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
    const HostValue value = get(DISPID_NEWENUM, where);
    HostRef<IUnknown> unknown(*calls_);
    if (value.vt() == VT_UNKNOWN) {
        unknown = HostRef<IUnknown>(value.get().punkVal, *calls_);
    } else if (value.vt() == VT_DISPATCH) {
        unknown = HostRef<IUnknown>(value.get().pdispVal, *calls_);
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
    HostRef<IEnumVARIANT> enumerator(*calls_);
    const HRESULT hr = calls_->make(u"QueryInterface", [&] {
        return unknown->QueryInterface(IID_IEnumVARIANT, enumerator.put_void());
    });
    if (FAILED(hr)) {
        throw errorFromHresult(hr, where);
    }
    return std::make_unique<DispatchEnumerator>(std::move(enumerator), calls_);
}

HostIdentity DispatchObject::identity() {
    if (!identity_) {
        const std::u16string where = u"QueryInterface";
        HostRef<IUnknown> unknown(*calls_);
        const HRESULT hr = calls_->make(
            where, [&] { return dispatch_->QueryInterface(IID_IUnknown, unknown.put_void()); });
        if (FAILED(hr) || !unknown) {
            throw errorFromHresult(FAILED(hr) ? hr : E_POINTER, where);
        }
        identity_ = std::move(unknown);
    }
    return reinterpret_cast<HostIdentity>(identity_.get());
}

DispatchEnumerator::DispatchEnumerator(HostRef<IEnumVARIANT> enumerator,
                                       std::shared_ptr<OutgoingCalls> calls)
    : calls_(std::move(calls)), enumerator_(std::move(enumerator)) {}

DispatchEnumerator::~DispatchEnumerator() {
    // The items not taken go back to the host through the calls, watched, as everything does.
    for (std::size_t i = 0; i < batch_.size(); ++i) {
        calls_->clear(batch_[i]);
    }
}

void DispatchEnumerator::fetch() {
    fetched_ = taken_ = 0;
    ULONG fetched = 0;
    const HRESULT hr = calls_->make(kNext, [&] {
        batch_.reset();
        fetched = 0;
        return enumerator_->Next(kBatchSize, batch_.data(), &fetched);
    });
    if (FAILED(hr)) {
        throw errorFromCall(*calls_, hr, std::u16string(kNext), enumerator_.get(),
                            IID_IEnumVARIANT);
    }
    if (fetched > kBatchSize) {
        throw Error(static_cast<std::int32_t>(E_UNEXPECTED),
                    u"Der Enumerator meldete mehr Elemente, als verlangt waren.",
                    std::u16string(kNext));
    }
    // Next answers S_OK only with every item asked for, S_FALSE with fewer (down to none) at the
    // end. S_OK with none is neither: taken as the end, it would cut the walk short and let a
    // half-done Write pass as done. S_OK with fewer is no end: they are taken, Next asked again.
    if (hr == S_OK && fetched == 0) {
        throw Error(static_cast<std::int32_t>(E_UNEXPECTED),
                    u"Der Enumerator meldete Erfolg (S_OK), lieferte aber kein Element (Element " +
                        decimal(position_ + 1) + u" der Auflistung).",
                    std::u16string(kNext));
    }
    fetched_ = fetched;
    exhausted_ = hr != S_OK;
}

HostObjectPtr DispatchEnumerator::next() {
    if (taken_ == fetched_) {
        if (exhausted_) {
            return nullptr;
        }
        fetch();
        if (fetched_ == 0) {
            return nullptr;
        }
    }
    VARIANT& item = batch_[taken_++];
    ++position_;
    HostRef<IDispatch> object(*calls_);
    const HRESULT hr = dispatchOf(item, object, *calls_);
    if (SUCCEEDED(hr) && !object) {
        // A null item must not pass for the end of the collection: the rest would go unseen.
        throw Error(static_cast<std::int32_t>(DISP_E_TYPEMISMATCH),
                    u"Typen unverträglich: Element " + decimal(position_) +
                        u" der Auflistung ist kein Objekt, sondern leer (" +
                        describeVarType(item.vt) + u").",
                    std::u16string(kNext));
    }
    if (hr == DISP_E_TYPEMISMATCH) {
        throw Error(static_cast<std::int32_t>(hr),
                    u"Typen unverträglich: Element " + decimal(position_) +
                        u" der Auflistung ist kein Objekt, sondern " + describeVarType(item.vt) +
                        u".",
                    std::u16string(kNext));
    }
    if (FAILED(hr)) {
        throw errorFromCall(*calls_, hr, std::u16string(kNext), nullptr, IID_NULL, nullptr,
                            u"Element " + decimal(position_));
    }
    // The batch's reference goes now; the new object holds its own.
    calls_->clear(item);
    return std::make_unique<DispatchObject>(std::move(object), calls_);
}

}  // namespace dravosk::host
