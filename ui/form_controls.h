// What the commands see of Form1: the feature list over List1 (one line per entry, the list box's
// selection is the marks) and the control states (the four buttons' enabled flags, the three check
// boxes' states, messages in a modal message box owned by the window).
#pragma once

#include <windows.h>

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/controls.h"
#include "ui/layout.h"

namespace dravosk::ui {

class ListBoxFeatureList final : public FeatureList {
  public:
    // `listBox`: an unsorted multiple-selection list box, filled only through this object.
    explicit ListBoxFeatureList(HWND listBox) : listBox_(listBox) {}

    Int16 count() const override;
    std::u16string text(Int16 index) const override;
    bool isMarked(Int16 index) const override;
    void setMarked(Int16 index, bool marked) override;
    void clear() override;

    // Until releaseMarks, isMarked answers with the marks of now, whatever another program selects
    // (LB_SETSEL and the like are handled inside every wait for the host); setMarked, append and
    // clear change both. Raises Error(kBadIndex) when the selection cannot be read.
    void holdMarks();
    void releaseMarks() noexcept;

  protected:
    void doAppend(std::u16string_view text) override;

  private:
    // The index as a list box index; raises Error(kBadIndex) outside the list.
    WPARAM checkedIndex(Int16 index) const;

    HWND listBox_;
    // The exact texts: the host may send any code unit, and a list box line ends at its first NUL.
    std::vector<std::u16string> texts_;
    // The marks held for the running command, one per line.
    std::optional<std::vector<bool>> heldMarks_;
};

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

using ControlWindows = std::array<HWND, kControls.size()>;

class WindowControlStates final : public ControlStates {
  public:
    WindowControlStates(HWND owner, const ControlWindows& controls)
        : owner_(owner), controls_(controls) {}

    void setEnabled(Button button, bool enabled) override;
    int checkState(CheckBox box) const override;
    void showMessage(std::u16string_view text) override;

    // Until releaseCheckStates, checkState answers with the states of now, whatever another program
    // clicks or sets (BM_CLICK and BM_SETCHECK are handled inside every wait for the host).
    void holdCheckStates();
    void releaseCheckStates() noexcept { held_.reset(); }

    // Until releaseEnabling the buttons keep their enabled states; what the command sets is
    // applied then, in order, so a button it enables can be clicked only once it has ended.
    void holdEnabling() noexcept;
    void releaseEnabling() noexcept;

  private:
    HWND control(Slot slot) const { return controls_[static_cast<std::size_t>(slot)]; }

    HWND owner_;
    ControlWindows controls_;
    std::optional<std::array<int, 3>> held_;  // Check1 to Check3, while held
    bool enablingHeld_ = false;
    // Set while held, in order: four buttons, each set at most a few times.
    std::vector<std::pair<Button, bool>> heldEnabling_;
};

}  // namespace dravosk::ui
