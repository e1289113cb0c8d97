#include "win/text.h"

#include <cstdint>

#include "core/text.h"

namespace dravosk::win {

std::wstring wide(std::u16string_view text) {
    return std::wstring(text.begin(), text.end());
}

std::u16string u16(std::wstring_view text) {
    return std::u16string(text.begin(), text.end());
}

namespace {

// A code unit shown as "<U+XXXX>" rather than as itself.
bool shownAsCodePoint(char16_t c) {
    return (c >= 0x0080 && c <= 0x009F) || c == 0x061C || c == 0x200E || c == 0x200F ||
           (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069) || c == 0x2028 ||
           c == 0x2029;
}

}  // namespace

std::wstring displayText(std::u16string_view text) {
    static constexpr wchar_t kDigits[] = L"0123456789ABCDEF";
    std::wstring shown;
    shown.reserve(text.size());
    for (const char16_t c : text) {
        if (c < 0x20) {
            shown += static_cast<wchar_t>(0x2400 + c);
        } else if (c == 0x7F) {
            shown += L'\u2421';
        } else if (shownAsCodePoint(c)) {
            shown += L"<U+";
            for (int shift = 12; shift >= 0; shift -= 4) {
                shown += kDigits[(c >> shift) & 0xF];
            }
            shown += L'>';
        } else {
            shown += static_cast<wchar_t>(c);
        }
    }
    return shown;
}

std::wstring hex(HRESULT hr) {
    return wide(ascii(dravosk::hex(static_cast<std::uint32_t>(hr))));
}

std::wstring windowText(HWND window) {
    const auto length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, L'\0');
    const int copied = GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return text;
}

std::wstring systemMessage(DWORD code) {
    wchar_t* buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = length != 0 ? std::wstring(buffer, length) : std::wstring();
    ::LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) {
        text.pop_back();
    }
    return text;
}

}  // namespace dravosk::win
