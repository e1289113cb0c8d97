// The states of the window that the commands read or set: which buttons are enabled, how the check
// boxes stand, and the message box. The window implements it over its controls.
#pragma once

#include <string>
#include <string_view>

namespace dravosk {

enum class Button { lesen, schreiben, allemarkieren, alledemarkieren };
enum class CheckBox { check1, check2, check3 };

inline constexpr std::u16string_view kAppTitle = u"Dravosk";

class ControlStates {
  public:
    virtual ~ControlStates() = default;

    virtual void setEnabled(Button button, bool enabled) = 0;
    // 0 unchecked, 1 checked; only 1 counts as checked.
    virtual int checkState(CheckBox box) const = 0;
    // Modal, one OK button, no icon, captioned kAppTitle; returns once the user confirmed it.
    virtual void showMessage(std::u16string_view text) = 0;
};

}  // namespace dravosk
