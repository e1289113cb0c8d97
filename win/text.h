// Texts between the tool and the platform. The tool keeps texts as UTF-16 code units
// (std::u16string); the W functions take wchar_t, which is the same 16-bit unit on Windows.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace dravosk::win {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wchar_t is a UTF-16 code unit");

std::wstring wide(std::u16string_view text);
std::u16string u16(std::wstring_view text);

// A text from the host as a control or message box shows it. A control character would end it
// (NUL), break it into lines that look like the box's own (CR, LF, the line and paragraph
// separators) or turn it around (the bidirectional controls), so each is shown visibly instead:
// - U+0000..U+001F as its control picture U+2400..U+241F (CR as U+240D), DEL U+007F as U+2421;
// - the C1 controls U+0080..U+009F, the bidirectional marks, embeddings, overrides and isolates
//   (U+061C, U+200E, U+200F, U+202A..U+202E, U+2066..U+2069) and U+2028, U+2029 as their code
//   point in angle brackets, "<U+202E>".
// Everything else is shown as it is. Only the display changes: texts are compared as delivered.
std::wstring displayText(std::u16string_view text);

// "0x80020009".
std::wstring hex(HRESULT hr);

// A window's text (a control's caption, a top-level title), however long, of any program.
std::wstring windowText(HWND window);

// The system's message for an error or HRESULT (FormatMessageW, user's language), trailing line
// breaks and blanks removed; empty when the system has none.
std::wstring systemMessage(DWORD code);

}  // namespace dravosk::win
