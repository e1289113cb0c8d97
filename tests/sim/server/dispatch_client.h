// A plain late-binding automation client for the server tests: names to DISPIDs, Invoke with
// arguments in call order, and owners for what comes back.
#pragma once

#include <oaidl.h>

#include <initializer_list>
#include <string>

#include "win/com.h"

namespace dravosk::sim::server::test {

template <class T>
using ComRef = win::com_ptr<T>;

// Arguments for invoke. A text is owned by its variant; a reference points into the caller's
// storage, which the variant does not own.
namespace arg {
win::unique_variant i2(short value);
win::unique_variant i4(long value);
win::unique_variant r8(double value);
win::unique_variant text(const std::wstring& value);
win::unique_variant r8Ref(double* target);
win::unique_variant variantRef(VARIANT* target);
}  // namespace arg

// The text of a VT_BSTR, every code unit; empty for anything else.
std::wstring bstrOf(const win::unique_variant& value);
// The object of a VT_DISPATCH (a new reference; null for Nothing and anything else).
ComRef<IDispatch> objectOf(const VARIANT& value);
inline ComRef<IDispatch> objectOf(const win::unique_variant& value) {
    return objectOf(value.get());
}

// The exception's texts, every code unit.
std::wstring sourceOf(const win::unique_excepinfo& exception);
std::wstring descriptionOf(const win::unique_excepinfo& exception);

struct Outcome {
    HRESULT hr = E_FAIL;
    win::unique_variant value;
    win::unique_excepinfo exception;
    UINT argErr = static_cast<UINT>(-1);
};

// GetIDsOfNames for one name.
HRESULT dispidOf(IDispatch* object, const wchar_t* name, DISPID& id);
// Looks `name` up and invokes it with `args` in call order (they go into rgvarg reversed).
// When the name is unknown, hr is what GetIDsOfNames returned.
Outcome invoke(IDispatch* object, const wchar_t* name, WORD flags,
               std::initializer_list<win::unique_variant> args = {});

// A property read that must succeed.
win::unique_variant get(IDispatch* object, const wchar_t* name);
// A property read that must give an object.
ComRef<IDispatch> getObject(IDispatch* object, const wchar_t* name);

}  // namespace dravosk::sim::server::test
