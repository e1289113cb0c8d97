#include "ui/window_control_states.h"

#include <cstdint>
#include <iterator>
#include <string>

#include "core/error.h"
#include "win/message_queue.h"
#include "win/text.h"

namespace dravosk::ui {

void WindowControlStates::setEnabled(Button which, bool enabled) {
    if (enablingHeld_) {
        heldEnabling_.emplace_back(which, enabled);
        return;
    }
    const HWND button = control(slotOf(which));
    // A disabled control keeps no focus: hand it on to the next tab stop first, so the keyboard
    // still reaches the window.
    if (!enabled && GetFocus() == button) {
        const HWND next = GetNextDlgTabItem(owner_, button, FALSE);
        if (next != nullptr && next != button) {
            SetFocus(next);
        }
    }
    EnableWindow(button, enabled ? TRUE : FALSE);
}

namespace {

constexpr CheckBox kCheckBoxes[] = {CheckBox::check1, CheckBox::check2, CheckBox::check3};
static_assert(static_cast<std::size_t>(CheckBox::check3) == std::size(kCheckBoxes) - 1,
              "each check box has its place among the held states");

std::size_t heldIndex(CheckBox box) {
    return static_cast<std::size_t>(box);
}

}  // namespace

int WindowControlStates::checkState(CheckBox box) const {
    if (held_) {
        return (*held_)[heldIndex(box)];
    }
    return SendMessageW(control(slotOf(box)), BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
}

void WindowControlStates::holdCheckStates() {
    held_.reset();
    std::array<int, 3> states{};
    for (const CheckBox box : kCheckBoxes) {
        states[heldIndex(box)] = checkState(box);
    }
    held_ = states;
}

void WindowControlStates::holdEnabling() noexcept {
    enablingHeld_ = true;
    heldEnabling_.clear();
}

void WindowControlStates::releaseEnabling() noexcept {
    enablingHeld_ = false;
    for (const auto& [button, enabled] : heldEnabling_) {
        setEnabled(button, enabled);
    }
    heldEnabling_.clear();
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
