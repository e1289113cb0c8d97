// What the commands see of the window: its listed feature identifiers, each with a mark, and its
// buttons, check boxes and message box; the logic here (32,767 limit, marking all) is shared.
#pragma once

#include <string>
#include <string_view>

#include "core/int16.h"

namespace dravosk {

class FeatureList {
  public:
    virtual ~FeatureList() = default;

    virtual Int16 count() const = 0;
    virtual std::u16string text(Int16 index) const = 0;
    virtual bool isMarked(Int16 index) const = 0;
    virtual void setMarked(Int16 index, bool marked) = 0;
    virtual void clear() = 0;

    // Appends an unmarked entry. A list already holding 32,767 entries raises Error(kListFull):
    // a 16-bit count has no room for more, and silently dropping a feature is not an option.
    void append(std::u16string_view text);

  protected:
    virtual void doAppend(std::u16string_view text) = 0;
};

// The two marking buttons: one loop over 16-bit indexes that writes every mark.
void markAll(FeatureList& list);
void unmarkAll(FeatureList& list);

enum class Button { lesen, schreiben, allemarkieren, alledemarkieren };
enum class CheckBox { check1, check2, check3 };

class ControlStates {
  public:
    virtual ~ControlStates() = default;

    virtual void setEnabled(Button button, bool enabled) = 0;
    // 0 unchecked, 1 checked; only 1 counts as checked.
    virtual int checkState(CheckBox box) const = 0;
    // Modal, one OK button, no icon, the program's name as caption; returns once confirmed.
    virtual void showMessage(std::u16string_view text) = 0;
};

}  // namespace dravosk
