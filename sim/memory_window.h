// Dravosk's window in memory: the feature list and the control states without any window, for
// the console demo, the benchmarks and the tests of the commands.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/controls.h"
#include "core/controls.h"

namespace dravosk::sim {

class MemoryFeatureList final : public FeatureList {
  public:
    Int16 count() const override { return static_cast<Int16>(entries_.size()); }
    std::u16string text(Int16 index) const override { return at(index).text; }
    bool isMarked(Int16 index) const override { return at(index).marked; }
    void setMarked(Int16 index, bool marked) override { at(index).marked = marked; }
    void clear() override { entries_.clear(); }

  protected:
    void doAppend(std::u16string_view text) override {
        entries_.push_back({std::u16string(text), false});
    }

  private:
    struct Entry {
        std::u16string text;
        bool marked;
    };
    // An index outside the list raises Error(kBadIndex), as the list box does.
    const Entry& at(Int16 index) const;
    Entry& at(Int16 index) { return const_cast<Entry&>(std::as_const(*this).at(index)); }

    std::vector<Entry> entries_;
};

// The window's start values; records every message and enabling in order.
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

}  // namespace dravosk::sim
