// The control states over Form1's controls: enabled flags on the four buttons, check states on the
// three check boxes, and messages in a modal message box owned by the window.
#pragma once

#include <windows.h>

#include <string_view>

#include "core/control_states.h"

namespace dravosk::ui {

// The buttons under the names the commands give them.
struct ButtonControls {
    HWND lesen = nullptr;
    HWND schreiben = nullptr;
    HWND allemarkieren = nullptr;
    HWND alledemarkieren = nullptr;

    HWND of(Button button) const;
};

struct CheckBoxControls {
    HWND check1 = nullptr;
    HWND check2 = nullptr;
    HWND check3 = nullptr;

    HWND of(CheckBox box) const;
};

class WindowControlStates final : public ControlStates {
  public:
    WindowControlStates(HWND owner, ButtonControls buttons, CheckBoxControls checkBoxes)
        : owner_(owner), buttons_(buttons), checkBoxes_(checkBoxes) {}

    void setEnabled(Button button, bool enabled) override;
    int checkState(CheckBox box) const override;
    void showMessage(std::u16string_view text) override;

  private:
    HWND owner_;
    ButtonControls buttons_;
    CheckBoxControls checkBoxes_;
};

}  // namespace dravosk::ui
