#include "core/feature_list.h"

#include "core/error.h"

namespace dravosk {

void FeatureList::append(std::u16string_view text) {
    if (count() >= kInt16Max) {
        throw Error(errnum::kListFull,
                    u"Die Liste fasst höchstens 32.767 Merkmale; das Teileprogramm hat mehr.",
                    u"Liste füllen");
    }
    doAppend(text);
}

namespace {

void setAllMarks(FeatureList& list, bool marked) {
    const Int16 last = checkedSub(list.count(), 1);
    for (Int16 index = 0; index <= last; index = checkedAdd(index, 1)) {
        list.setMarked(index, marked);
    }
}

}  // namespace

void markAll(FeatureList& list) {
    setAllMarks(list, true);
}
void unmarkAll(FeatureList& list) {
    setAllMarks(list, false);
}

}  // namespace dravosk
