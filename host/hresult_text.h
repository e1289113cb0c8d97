// Texts for HRESULTs: the system's message where it has one, else the tool's own German text.
// Wine's FormatMessageW knows none of the OLE codes (0x8001xxxx, 0x8002xxxx, 0x8004xxxx), so
// there the tool's table is what the operator reads.
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
