#include "host/com_error.h"

#include <oaidl.h>

#include <string>

#include "win/com_ptr.h"
#include "core/text.h"
#include "host/hresult_text.h"
#include "win/unique_bstr.h"

namespace dravosk::host {

namespace {

// The thread's error object is always taken (and so cleared), even when it is not used: a stale one
// left behind by an earlier call must not describe a later failure.
std::u16string errorInfoDescription(OutgoingCalls& calls, IUnknown* object, REFIID iid) {
    win::com_ptr<IErrorInfo> info;
    if (::GetErrorInfo(0, info.put()) != S_OK || !info) {
        return {};
    }
    // An error object the host made itself lives in the host's process: asking it, and letting
    // it go, are calls to the host too.
    const ReleasedThrough<IErrorInfo> infoGoes(calls, info);
    if (!object) {
        return {};
    }
    win::com_ptr<ISupportErrorInfo> support;
    const ReleasedThrough<ISupportErrorInfo> supportGoes(calls, support);
    if (FAILED(calls.make(
            u"QueryInterface",
            [&] { return object->QueryInterface(IID_ISupportErrorInfo, support.put_void()); })) ||
        !support || calls.make(u"ISupportErrorInfo::InterfaceSupportsErrorInfo", [&] {
            return support->InterfaceSupportsErrorInfo(iid);
        }) != S_OK) {
        return {};
    }
    win::unique_bstr description;
    if (FAILED(calls.make(u"IErrorInfo::GetDescription",
                          [&] { return info->GetDescription(description.put()); }))) {
        return {};
    }
    return description.text();
}

}  // namespace

Error errorFromHresult(HRESULT hr, std::u16string where) {
    return Error(static_cast<std::int32_t>(hr), describeHresult(hr), std::move(where));
}

Error errorFromCall(OutgoingCalls& calls, HRESULT hr, std::u16string where, IUnknown* object,
                    REFIID iid, win::unique_excepinfo* excepinfo, std::u16string_view detail) {
    HRESULT number = hr;
    WORD wCode = 0;
    std::u16string description;
    if (hr == DISP_E_EXCEPTION && excepinfo) {
        excepinfo->fillDeferred();
        const EXCEPINFO& e = excepinfo->get();
        wCode = e.wCode;
        if (wCode != 0) {
            number = hresultFromWCode(wCode);
        } else if (FAILED(e.scode)) {
            number = e.scode;
        }
        // With neither code set (a proxy that never ran the deferred fill-in, see
        // docs/platform.md) the number stays DISP_E_EXCEPTION: a failure must never be reported
        // under a success code.
        description = win::unique_bstr::textOf(e.bstrDescription);
    }
    std::u16string fromErrorInfo = errorInfoDescription(calls, object, iid);
    if (description.empty()) {
        description = std::move(fromErrorInfo);
    }
    if (description.empty() && wCode != 0) {
        description = u"Der Automatisierungsserver meldete den Fehler " + decimal(wCode) +
                      u" ohne Beschreibung.";
    }
    if (description.empty()) {
        description = describeHresult(number);
    }
    if (!detail.empty()) {
        // "Typen unverträglich (Argument 5)." rather than a sentence followed by a bracket.
        const bool period = description.ends_with(u'.');
        if (period) {
            description.pop_back();
        }
        description += u" (";
        description += detail;
        description += period ? u")." : u")";
    }
    return Error(static_cast<std::int32_t>(number), std::move(description), std::move(where));
}

}  // namespace dravosk::host
