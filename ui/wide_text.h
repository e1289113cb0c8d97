// The tool keeps texts as UTF-16 code units (std::u16string); the W functions take wchar_t, which
// is the same 16-bit unit on Windows.
#pragma once

#include <string>
#include <string_view>

namespace dravosk::ui {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wchar_t is a UTF-16 code unit");

inline std::wstring toWide(std::u16string_view text) {
    return std::wstring(text.begin(), text.end());
}

// The form in which a text is shown by a control or a message box: a NUL would end the text there,
// so each one is shown as U+2400 SYMBOL FOR NULL. Everything else is shown as it is.
inline std::wstring displayText(std::u16string_view text) {
    std::wstring shown = toWide(text);
    for (wchar_t& c : shown) {
        if (c == L'\0') {
            c = L'\u2400';
        }
    }
    return shown;
}

}  // namespace dravosk::ui
