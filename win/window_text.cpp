#include "win/window_text.h"

namespace dravosk::win {

std::wstring windowText(HWND window) {
    const auto length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, L'\0');
    const int copied = GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return text;
}

std::wstring className(HWND window) {
    wchar_t name[257] = {};
    const int length = GetClassNameW(window, name, 257);
    return std::wstring(name, static_cast<std::size_t>(length > 0 ? length : 0));
}

bool isMessageBox(HWND window) {
    return className(window) == L"#32770" && IsWindowVisible(window);
}

std::wstring messageBoxText(HWND box) {
    return windowText(GetDlgItem(box, 0xFFFF));
}

}  // namespace dravosk::win
