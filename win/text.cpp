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

std::wstring displayText(std::u16string_view text) {
    std::wstring shown = wide(text);
    for (wchar_t& c : shown) {
        if (c == L'\0') {
            c = L'\u2400';
        }
    }
    return shown;
}

std::wstring hex(HRESULT hr) {
    return wide(ascii(dravosk::hex(static_cast<std::uint32_t>(hr))));
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
