// The feature list over List1: one line per entry, and the list box's selection is the marks.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/feature_list.h"

namespace dravosk::ui {

class ListBoxFeatureList final : public FeatureList {
  public:
    // The list box must be an unsorted multiple-selection list box, filled only through this
    // object.
    explicit ListBoxFeatureList(HWND listBox) : listBox_(listBox) {}

    Int16 count() const override;
    std::u16string text(Int16 index) const override;
    bool isMarked(Int16 index) const override;
    void setMarked(Int16 index, bool marked) override;
    void clear() override;

    // From now until releaseMarks, isMarked answers with the marks as they stand now, whatever
    // another program selects in the list box meanwhile (LB_SETSEL and the like are handled
    // inside every wait for the host): a command acts on the marks of its click. The list's own
    // changes (setMarked, append, clear) go to both. Raises Error(kBadIndex) when the selection
    // cannot be read.
    void holdMarks();
    void releaseMarks() noexcept;

  protected:
    void doAppend(std::u16string_view text) override;

  private:
    // The index as a list box index; raises Error(kBadIndex) outside the list.
    WPARAM checkedIndex(Int16 index) const;

    HWND listBox_;
    // The exact texts, line by line. A list box line ends at its first NUL and the host may send
    // any code unit, so the line shows the display form while the text itself is kept here.
    std::vector<std::u16string> texts_;
    // The marks held for the running command, one per line, while it runs.
    std::optional<std::vector<bool>> heldMarks_;
};

}  // namespace dravosk::ui
