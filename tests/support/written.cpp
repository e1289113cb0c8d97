#include "tests/support/written.h"

#include <algorithm>
#include <optional>

namespace dravosk::test {

namespace {

constexpr auto kCancelled = static_cast<std::int32_t>(0x80010002u);  // RPC_E_CALL_CANCELED

}  // namespace

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

WriteRecord abandoned(const WriteRecord& record) {
    // Noted anew, so that each feature has its room again for the call given up on.
    WriteRecord given;
    for (const WriteRecord::Feature& feature : record.features()) {
        given.startFeature(feature.id);
        for (const std::int32_t dataSet : feature.reversed) {
            given.putStarted(dataSet);
            given.putSucceeded();
        }
        for (const std::int32_t dataSet : feature.uncertain) {
            given.putStarted(dataSet);
            given.putFailed(kCancelled);
        }
    }
    if (const std::optional<std::int32_t> dataSet = record.inFlight()) {
        given.putStarted(*dataSet);
        given.putFailed(kCancelled);
    }
    return given;
}

Error abandoned(const CommandProgress& progress, std::int32_t number, std::u16string description,
                std::u16string_view member) {
    Error error(number, std::move(description), progress.stepText(member));
    error.setWritten(abandoned(progress.record()));
    return error;
}

}  // namespace dravosk::test
