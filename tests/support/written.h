// What the tests ask of what a Write wrote, beyond what the report needs.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/command_progress.h"

namespace dravosk::test {

// The identifiers of the features with at least one reversed data set, in host order.
std::vector<std::u16string> changed(const WriteRecord& record);
// Also true for a PutVector in flight.
bool anyUncertain(const WriteRecord& record);

// What a watch saw of a call the operator gives up on: its step, and the record as it stood,
// with a PutVector out then still in flight.
struct GivenUp {
    std::u16string step;
    WriteRecord record;
};

}  // namespace dravosk::test
