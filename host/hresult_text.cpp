#include "host/hresult_text.h"

#include <array>

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

}  // namespace

std::u16string_view toolMessage(HRESULT hr) {
    for (const Entry& entry : kTable) {
        if (entry.hr == hr) {
            return entry.text;
        }
    }
    return {};
}

std::u16string describeHresult(HRESULT hr) {
    if (std::u16string text = win::u16(win::systemMessage(static_cast<DWORD>(hr))); !text.empty()) {
        return text;
    }
    if (const std::u16string_view text = toolMessage(hr); !text.empty()) {
        return std::u16string(text);
    }
    return std::u16string(kGenericMessage);
}

}  // namespace dravosk::host
