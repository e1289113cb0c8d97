// Texts for HRESULTs: the system's message where it has one, else the tool's own German text
// (a system without texts for the OLE codes: docs/platform.md, "Texts of errors").
#pragma once

#include <windows.h>
// ole2.h needs windows.h first
#include <ole2.h>

#include <string>
#include <string_view>

namespace dravosk::host {

// The tool's own text for the automation failures an operator is likely to meet; empty for others.
std::u16string_view toolMessage(HRESULT hr);

// Used when neither the system nor the table has a text.
inline constexpr std::u16string_view kGenericMessage =
    u"Unbekannter Fehler bei einem Aufruf der Automatisierungsschnittstelle.";

// win::systemMessage, else toolMessage, else kGenericMessage.
std::u16string describeHresult(HRESULT hr);

}  // namespace dravosk::host
