// What the tests ask of what a Write wrote, beyond what the report needs.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/command_progress.h"
#include "core/error.h"
#include "core/write_record.h"

namespace dravosk::test {

// The identifiers of the features with at least one reversed data set, in host order.
std::vector<std::u16string> changed(const WriteRecord& record);
// Also true for a PutVector in flight.
bool anyUncertain(const WriteRecord& record);

// The record as it stands if the call out now is given up on (cancelled): a PutVector in flight
// becomes uncertain.
WriteRecord abandoned(const WriteRecord& record);
// The error for the host call `member`, out now, when the operator gives up on it (number and
// description as the caller gives them): named by that call's step, with what was written and a
// PutVector in flight as uncertain.
Error abandoned(const CommandProgress& progress, std::int32_t number, std::u16string description,
                std::u16string_view member);

}  // namespace dravosk::test
