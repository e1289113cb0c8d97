#include "host/com_error.h"

#include <oaidl.h>

#include <array>
#include <string>

#include "win/com.h"
#include "core/text.h"
#include "win/text.h"

namespace dravosk::host {

namespace {

constexpr std::u16string_view kServerUnavailable =
    u"Der Automatisierungsserver ist nicht verfügbar oder die Verbindung zu ihm wurde getrennt "
    u"(wurde Korvane beendet?).";
constexpr std::u16string_view kServerBusy =
    u"Der Automatisierungsserver hat den Aufruf abgelehnt oder ist beschäftigt (ist in Korvane "
    u"ein Dialog offen?).";
constexpr std::u16string_view kServerNotStarted =
    u"Der Automatisierungsserver konnte nicht gestartet werden.";

struct Entry {
    HRESULT hr;
    std::u16string_view text;
};

const std::array kTable{
    Entry{CO_E_CLASSSTRING,
          u"Die Programmkennung ist nicht registriert (ungültige Klassenzeichenfolge). Ist "
          u"Korvane auf diesem Rechner installiert?"},
    Entry{REGDB_E_CLASSNOTREG, u"Die Klasse ist nicht registriert."},
    Entry{CO_E_SERVER_EXEC_FAILURE, kServerNotStarted},
    Entry{CO_E_APPNOTFOUND, kServerNotStarted},
    Entry{CO_E_APPDIDNTREG, kServerNotStarted},
    Entry{CO_E_SERVER_START_TIMEOUT, kServerNotStarted},
    Entry{DISP_E_UNKNOWNNAME, u"Unbekannter Name: Das Objekt hat kein Element dieses Namens."},
    Entry{DISP_E_MEMBERNOTFOUND, u"Element nicht gefunden."},
    Entry{DISP_E_TYPEMISMATCH, u"Typen unverträglich."},
    Entry{DISP_E_BADPARAMCOUNT, u"Falsche Anzahl von Argumenten."},
    Entry{DISP_E_PARAMNOTFOUND, u"Argument nicht gefunden."},
    Entry{DISP_E_OVERFLOW, u"Überlauf."},
    Entry{DISP_E_EXCEPTION,
          u"Der Automatisierungsserver hat einen Fehler ohne Beschreibung "
          u"gemeldet."},
    Entry{E_NOINTERFACE, u"Das Objekt unterstützt die verlangte Schnittstelle nicht."},
    Entry{HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE), kServerUnavailable},
    Entry{HRESULT_FROM_WIN32(RPC_S_CALL_FAILED), kServerUnavailable},
    Entry{RPC_E_DISCONNECTED, kServerUnavailable},
    Entry{RPC_E_SERVER_DIED, kServerUnavailable},
    Entry{RPC_E_SERVER_DIED_DNE, kServerUnavailable},
    Entry{CO_E_OBJNOTCONNECTED, kServerUnavailable},
    Entry{RPC_E_CALL_REJECTED, kServerBusy},
    Entry{RPC_E_SERVERCALL_RETRYLATER, kServerBusy},
    Entry{RPC_E_SERVERCALL_REJECTED, kServerBusy},
};

constexpr std::u16string_view kGenericMessage =
    u"Unbekannter Fehler bei einem Aufruf der Automatisierungsschnittstelle.";

// What the HRESULT a call returned says of whether the host ran it. Only the platform's and the
// automation layer's own answers say for sure it never ran; the host's method may have answered
// (DISP_E_EXCEPTION, whatever code it carries) after it had written, and a broken or timed-out
// connection, a server fault, out of memory and anything unknown leave it open too.
CallOutcome outcomeOf(HRESULT hr) noexcept {
    if (isRefusal(hr)) {
        return CallOutcome::notRun;  // the host's message filter refused it
    }
    switch (hr) {
        // The call never left this program.
        case RPC_E_CANTPOST_INSENDCALL:
        case RPC_E_CANTCALLOUT_INASYNCCALL:
        case RPC_E_CANTCALLOUT_INEXTERNALCALL:
        case RPC_E_CANTCALLOUT_ININPUTSYNCCALL:
        case RPC_E_CANTCALLOUT_AGAIN:
        case RPC_E_WRONG_THREAD:
        case RPC_E_CLIENT_CANTMARSHAL_DATA:
        case CO_E_NOTINITIALIZED:
        case CO_E_OBJNOTCONNECTED:   // the proxy was cut off before the call
        case RPC_E_SERVER_DIED_DNE:  // "the call did not execute"
        // The host's automation layer turned the call down before the method ran.
        case DISP_E_UNKNOWNINTERFACE:
        case DISP_E_MEMBERNOTFOUND:
        case DISP_E_PARAMNOTFOUND:
        case DISP_E_TYPEMISMATCH:
        case DISP_E_UNKNOWNNAME:
        case DISP_E_NONAMEDARGS:
        case DISP_E_BADVARTYPE:
        case DISP_E_OVERFLOW:
        case DISP_E_BADINDEX:
        case DISP_E_UNKNOWNLCID:
        case DISP_E_ARRAYISLOCKED:
        case DISP_E_BADPARAMCOUNT:
        case DISP_E_PARAMNOTOPTIONAL:
        case DISP_E_NOTACOLLECTION:
            return CallOutcome::notRun;
        // Given up on while out: the host may carry it out later.
        case RPC_E_CALL_CANCELED:
        case RPC_E_TIMEOUT:
            return CallOutcome::givenUp;
        default:
            return CallOutcome::unknown;
    }
}

// The HRESULT for a server error carrying an application code (EXCEPINFO::wCode), not an scode:
// clients have long shown these under FACILITY_CONTROL, 1004 as 0x800A03EC.
constexpr HRESULT hresultFromWCode(WORD wCode) {
    return MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, wCode);
}

// Always takes (and so clears) the thread's error object, used or not: a stale one from an earlier
// call must not describe a later failure. One the host made lives in its process: asking it, and
// letting it go, are calls to the host too.
std::u16string errorInfoDescription(OutgoingCalls& calls, IUnknown* object, REFIID iid) {
    HostRef<IErrorInfo> info(calls);
    if (::GetErrorInfo(0, info.put()) != S_OK || !info || !object) {
        return {};
    }
    HostRef<ISupportErrorInfo> support(calls);
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

std::u16string describeHresult(HRESULT hr) {
    if (std::u16string text = win::u16(win::systemMessage(static_cast<DWORD>(hr))); !text.empty()) {
        return text;
    }
    for (const Entry& entry : kTable) {
        if (entry.hr == hr) {
            return std::u16string(entry.text);
        }
    }
    return std::u16string(kGenericMessage);
}

Error errorFromHresult(HRESULT hr, std::u16string where) {
    return Error(static_cast<std::int32_t>(hr), describeHresult(hr), std::move(where),
                 outcomeOf(hr));
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
        // With neither code set (a proxy that never ran the deferred fill-in) the number stays
        // DISP_E_EXCEPTION: a failure must never be reported under a success code.
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
    return Error(static_cast<std::int32_t>(number), std::move(description), std::move(where),
                 outcomeOf(hr));
}

}  // namespace dravosk::host
