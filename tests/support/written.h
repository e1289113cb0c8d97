// How the tests run the window's commands, and what they ask of what a Write wrote beyond what
// the report needs.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/command_progress.h"
#include "core/commands.h"

namespace dravosk::test {

// The identifiers of the features with at least one reversed data set, in host order.
std::vector<std::u16string> changed(const WriteRecord& record);
// Also true for a PutVector in flight.
bool anyUncertain(const WriteRecord& record);

// Runs `click` as the window does: the progress starts anew for each command.
inline void runCommand(void (*click)(AutomationService&, FeatureList&, ControlStates&,
                                     CommandProgress&),
                       AutomationService& service, FeatureList& list, ControlStates& states,
                       CommandProgress& progress) {
    progress.begin();
    click(service, list, states, progress);
}

// What a watch saw of a call the operator gives up on: its step, and the record as it stood,
// with a PutVector out then still in flight.
struct GivenUp {
    std::u16string step;
    WriteRecord record;
};

}  // namespace dravosk::test
