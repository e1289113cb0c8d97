#include "ui/window_control_states.h"

#include <cstdint>
#include <string>

#include "core/error.h"
#include "ui/wide_text.h"

namespace dravosk::ui {

void WindowControlStates::setEnabled(Button button, bool enabled) {
    const HWND control = buttons_[static_cast<std::size_t>(button)];
    // A disabled control keeps no focus: hand it on to the next tab stop first, so the keyboard
    // still reaches the window.
    if (!enabled && GetFocus() == control) {
        const HWND next = GetNextDlgTabItem(owner_, control, FALSE);
        if (next != nullptr && next != control) {
            SetFocus(next);
        }
    }
    EnableWindow(control, enabled ? TRUE : FALSE);
}

int WindowControlStates::checkState(CheckBox box) const {
    const HWND control = checkBoxes_[static_cast<std::size_t>(box)];
    return SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
}

void WindowControlStates::showMessage(std::u16string_view text) {
    const std::wstring shown = displayText(text);
    const std::wstring title = toWide(kAppTitle);
    if (MessageBoxW(owner_, shown.c_str(), title.c_str(), MB_OK) == 0) {
        // The user has not seen the message: that must not pass as done.
        const DWORD code = GetLastError();
        throw Error(
            static_cast<std::int32_t>(HRESULT_FROM_WIN32(code != 0 ? code : ERROR_OUTOFMEMORY)),
            u"Die Meldung konnte nicht angezeigt werden.", u"Meldung");
    }
}

}  // namespace dravosk::ui
