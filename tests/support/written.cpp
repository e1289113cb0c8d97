#include "tests/support/written.h"

#include <algorithm>

namespace dravosk::test {

std::vector<std::u16string> changed(const WriteRecord& record) {
    std::vector<std::u16string> ids;
    for (const WriteRecord::Feature& feature : record.features()) {
        if (!feature.reversed.empty()) {
            ids.push_back(feature.id);
        }
    }
    return ids;
}

bool anyUncertain(const WriteRecord& record) {
    return record.inFlight() ||
           std::any_of(record.features().begin(), record.features().end(),
                       [](const WriteRecord::Feature& f) { return !f.uncertain.empty(); });
}

}  // namespace dravosk::test
