// The control states over Form1's controls: enabled flags on the four buttons, check states on the
// three check boxes, and messages in a modal message box owned by the window.
#pragma once

#include <windows.h>

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

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

    // From now until releaseCheckStates, checkState answers with the check boxes as they stand
    // now, whatever another program clicks or sets meanwhile (BM_CLICK and BM_SETCHECK are
    // handled inside every wait for the host): a command acts on the states of its click.
    void holdCheckStates();
    void releaseCheckStates() noexcept { held_.reset(); }

    // From now until releaseEnabling, the buttons keep the enabled states they have; what the
    // command sets is applied then, in the order it was set. So a button the command enables
    // can be clicked only once the command has ended: a click that arrives earlier is dropped.
    void holdEnabling() noexcept;
    void releaseEnabling() noexcept;

  private:
    HWND control(Slot slot) const { return controls_[static_cast<std::size_t>(slot)]; }

    HWND owner_;
    ControlWindows controls_;
    std::optional<std::array<int, 3>> held_;  // Check1 to Check3, while held
    bool enablingHeld_ = false;
    // The enabled states set while held, in order; four buttons, each set at most a few times.
    std::vector<std::pair<Button, bool>> heldEnabling_;
};

}  // namespace dravosk::ui
