// Turns a failed COM call into the tool's Error: the HRESULT the operator should see, the best text
// on offer, the member or step that failed, and what the HRESULT says of whether the host ran it.
#pragma once

#include <windows.h>
// ole2.h needs windows.h first
#include <ole2.h>

#include <string>
#include <string_view>

#include "core/error.h"
#include "host/outgoing_calls.h"
#include "win/com.h"

namespace dravosk::host {

// The system's message for `hr`, else the tool's German text for the automation failures an
// operator is likely to meet (some systems have no texts for the OLE codes), else a generic one.
std::u16string describeHresult(HRESULT hr);

// A failure with no object to ask (creating the object, initialising COM, converting a value).
Error errorFromHresult(HRESULT hr, std::u16string where);

// A failed call on `object` through `iid`, described by the first of: the EXCEPINFO of
// DISP_E_EXCEPTION (deferred fill-in run first), the thread's IErrorInfo if `object` supports it on
// `iid`, the system's message, the tool's table, a generic text; `detail` is added in parentheses.
// Asking `object` about its error support is a call to the host, so it goes through `calls`.
Error errorFromCall(OutgoingCalls& calls, HRESULT hr, std::u16string where, IUnknown* object,
                    REFIID iid, win::unique_excepinfo* excepinfo = nullptr,
                    std::u16string_view detail = {});

}  // namespace dravosk::host
