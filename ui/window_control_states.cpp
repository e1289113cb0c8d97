#include "ui/window_control_states.h"

#include <cstdint>
#include <string>

#include "core/error.h"
#include "win/message_queue.h"
#include "win/text.h"

namespace dravosk::ui {

// Every enumerator is handled: a new button or check box without a control fails to compile.
HWND ButtonControls::of(Button button) const {
    switch (button) {
        case Button::lesen:
            return lesen;
        case Button::schreiben:
            return schreiben;
        case Button::allemarkieren:
            return allemarkieren;
        case Button::alledemarkieren:
            return alledemarkieren;
    }
    return nullptr;  // not reached
}

HWND CheckBoxControls::of(CheckBox box) const {
    switch (box) {
        case CheckBox::check1:
            return check1;
        case CheckBox::check2:
            return check2;
        case CheckBox::check3:
            return check3;
    }
    return nullptr;  // not reached
}

void WindowControlStates::setEnabled(Button button, bool enabled) {
    const HWND control = buttons_.of(button);
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
    const HWND control = checkBoxes_.of(box);
    return SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
}

void WindowControlStates::showMessage(std::u16string_view text) {
    // Keys typed ahead while the command ran must not confirm a message the user never saw.
    win::discardQueuedInput();
    const std::wstring shown = win::displayText(text);
    const std::wstring title = win::wide(kAppTitle);
    if (MessageBoxW(owner_, shown.c_str(), title.c_str(), MB_OK) == 0) {
        // The user has not seen the message: that must not pass as done.
        const DWORD code = GetLastError();
        throw Error(
            static_cast<std::int32_t>(HRESULT_FROM_WIN32(code != 0 ? code : ERROR_OUTOFMEMORY)),
            u"Die Meldung konnte nicht angezeigt werden.", u"Meldung");
    }
}

}  // namespace dravosk::ui
