// The feature identifiers the window lists, each with a mark. The window implements the storage
// over its list box; the logic here (the 32,767 limit, marking all) is shared by every
// implementation.
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

}  // namespace dravosk
