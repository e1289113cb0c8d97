// Objects arrive in VARIANTs as VT_DISPATCH or as VT_UNKNOWN (which must then answer for
// IDispatch).
#pragma once

#include <windows.h>
// ole2.h needs windows.h first
#include <ole2.h>

#include <string>

#include "host/outgoing_calls.h"
#include "win/com_ptr.h"

namespace dravosk::host {

// Sets `out` to the dispatch interface held by `value` (its own reference) and returns S_OK. For
// VT_EMPTY, VT_NULL and null pointers `out` is null and the result S_OK as well. Any other type
// gives DISP_E_TYPEMISMATCH; an object without IDispatch gives QueryInterface's refusal. The
// QueryInterface of a VT_UNKNOWN value is a call to the host, made through `calls`.
HRESULT dispatchOf(const VARIANT& value, win::com_ptr<IDispatch>& out, OutgoingCalls& calls);

// True when `value` holds an object (a null one too), directly or by reference: the platform's
// coercion would ask it for its default value.
bool holdsObject(const VARIANT& value) noexcept;

// "Variant-Typ 8 (VT_BSTR)" and the like, for error texts.
std::u16string describeVarType(VARTYPE vt);

}  // namespace dravosk::host
