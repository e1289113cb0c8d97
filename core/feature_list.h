// The feature identifiers the window lists, each with a mark. The window implements the storage
// over its list box; the logic here (the 32,767 limit, marking all) is shared by every
// implementation.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

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

// In-memory list, for tests and anywhere no window is involved.
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
    const Entry& at(Int16 index) const;
    Entry& at(Int16 index) { return const_cast<Entry&>(std::as_const(*this).at(index)); }

    std::vector<Entry> entries_;
};

}  // namespace dravosk
