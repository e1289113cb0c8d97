// The control states over Form1's controls: enabled flags on the four buttons, check states on the
// three check boxes, and messages in a modal message box owned by the window.
#pragma once

#include <windows.h>

#include <array>
#include <cstddef>
#include <string_view>

#include "core/control_states.h"
#include "ui/layout.h"

namespace dravosk::ui {

// The control each of the commands' names stands for. Every enumerator has its case: a button or
// check box added without a control fails to compile.
constexpr Slot slotOf(Button button) {
    switch (button) {
        case Button::lesen:
            return Slot::cmd_lesen;
        case Button::schreiben:
            return Slot::cmd_schreiben;
        case Button::allemarkieren:
            return Slot::cmd_allemarkieren;
        case Button::alledemarkieren:
            return Slot::cmd_alledemarkieren;
    }
    return Slot::cmd_lesen;  // not reached
}

constexpr Slot slotOf(CheckBox box) {
    switch (box) {
        case CheckBox::check1:
            return Slot::Check1;
        case CheckBox::check2:
            return Slot::Check2;
        case CheckBox::check3:
            return Slot::Check3;
    }
    return Slot::Check1;  // not reached
}

// The window's controls, one for each entry of kControls.
using ControlWindows = std::array<HWND, kControls.size()>;

class WindowControlStates final : public ControlStates {
  public:
    WindowControlStates(HWND owner, const ControlWindows& controls)
        : owner_(owner), controls_(controls) {}

    void setEnabled(Button button, bool enabled) override;
    int checkState(CheckBox box) const override;
    void showMessage(std::u16string_view text) override;

  private:
    HWND control(Slot slot) const { return controls_[static_cast<std::size_t>(slot)]; }

    HWND owner_;
    ControlWindows controls_;
};

}  // namespace dravosk::ui
