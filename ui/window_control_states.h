// The control states over Form1's controls: enabled flags on the four buttons, check states on the
// three check boxes, and messages in a modal message box owned by the window.
#pragma once

#include <windows.h>

#include <array>
#include <string_view>

#include "core/control_states.h"

namespace dravosk::ui {

class WindowControlStates final : public ControlStates {
  public:
    // Buttons in the order of dravosk::Button, check boxes in the order of dravosk::CheckBox.
    WindowControlStates(HWND owner, std::array<HWND, 4> buttons, std::array<HWND, 3> checkBoxes)
        : owner_(owner), buttons_(buttons), checkBoxes_(checkBoxes) {}

    void setEnabled(Button button, bool enabled) override;
    int checkState(CheckBox box) const override;
    void showMessage(std::u16string_view text) override;

  private:
    HWND owner_;
    std::array<HWND, 4> buttons_;
    std::array<HWND, 3> checkBoxes_;
};

}  // namespace dravosk::ui
