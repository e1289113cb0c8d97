// Turns a failed COM call into the tool's Error: the number is the HRESULT the operator should see,
// the description the best text on offer, `where` the member or step that failed.
#pragma once

#include <windows.h>
// ole2.h needs windows.h first
#include <ole2.h>

#include <string>
#include <string_view>

#include "core/error.h"
#include "host/outgoing_calls.h"
#include "win/unique_excepinfo.h"

namespace dravosk::host {

// The HRESULT reported for a server error that carries an application code (EXCEPINFO::wCode) in
// place of an scode. Automation clients have long shown such codes under FACILITY_CONTROL
// (code 1004 appears as 0x800A03EC), so the low word of the number is the server's own code.
constexpr HRESULT hresultFromWCode(WORD wCode) {
    return MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, wCode);
}

// A failure with no object to ask for details (creating the object, initialising COM).
Error errorFromHresult(HRESULT hr, std::u16string where);

// A failed call on `object` through interface `iid`. The description is taken from, in order:
// the EXCEPINFO of DISP_E_EXCEPTION (deferred fill-in run first), the thread's IErrorInfo if the
// object declares support for it on `iid`, the system's message, the tool's own table, a generic
// text. `detail` (if any) is added in parentheses at the end of that text. The questions to the
// object about its error support go out through `calls`, as they are calls to the host.
Error errorFromCall(OutgoingCalls& calls, HRESULT hr, std::u16string where, IUnknown* object,
                    REFIID iid, win::unique_excepinfo* excepinfo = nullptr,
                    std::u16string_view detail = {});

}  // namespace dravosk::host
