// The states of the window that the commands read or set: which buttons are enabled, how the check
// boxes stand, and the message box. The window implements it over its controls.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

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

// In-memory states with the window's start values; records every message and enabling in order.
class MemoryControlStates final : public ControlStates {
  public:
    void setEnabled(Button button, bool enabled) override {
        enabled_[static_cast<std::size_t>(button)] = enabled;
        enableLog.push_back({button, enabled});
    }
    int checkState(CheckBox box) const override { return checks_[static_cast<std::size_t>(box)]; }
    void showMessage(std::u16string_view text) override { messages.emplace_back(text); }

    bool isEnabled(Button button) const { return enabled_[static_cast<std::size_t>(button)]; }
    void setCheck(CheckBox box, int state) { checks_[static_cast<std::size_t>(box)] = state; }

    std::vector<std::u16string> messages;
    std::vector<std::pair<Button, bool>> enableLog;

  private:
    std::array<bool, 4> enabled_{true, false, false, false};
    std::array<int, 3> checks_{1, 1, 1};
};

}  // namespace dravosk
