#include "sim/memory_window.h"

#include "core/error.h"

namespace dravosk::sim {

const MemoryFeatureList::Entry& MemoryFeatureList::at(Int16 index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= entries_.size()) {
        throw Error(errnum::kBadIndex, u"Listenindex außerhalb der Liste.", u"Liste");
    }
    return entries_[static_cast<std::size_t>(index)];
}

}  // namespace dravosk::sim
