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

// The form in which a text is shown by a control or a message box: a NUL would end the text there,
// so each one is shown as U+2400 SYMBOL FOR NULL. Everything else is shown as it is.
std::wstring displayText(std::u16string_view text);

// "0x80020009".
std::wstring hex(HRESULT hr);

// The system's message for an error or HRESULT (FormatMessageW, user's language), trailing line
// breaks and blanks removed; empty when the system has none.
std::wstring systemMessage(DWORD code);

}  // namespace dravosk::win
