// Walking the command collection of the active part program, shared by Read and Write.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "core/command_progress.h"
#include "core/host.h"

namespace dravosk {

// More commands than this in one collection end the walk with Error(kTooManyCommands), before the
// first one beyond is asked anything. Commands a list has no entry for (other commands, features
// with an empty identifier) are not bounded by the list's 32,767 entries, so a collection that
// cycles through them would be walked for ever; a part program with 32 commands for every entry
// of a full list is still far beyond any real one.
inline constexpr std::size_t kMaxCommands = std::size_t{1} << 20;

// Calls onFeature(featureCommand, identifier) for every command whose IsFeature is true, in the
// host's order; other commands get no call beyond IsFeature. onFeature may take the feature
// command object over to hold it longer; otherwise it is released before the next command. Each
// command is a step of `progress` named by its position (1-based, "Befehl 5"), so an error from any
// step within it is named that way. At most kMaxCommands commands are walked.
void forEachFeature(
    HostEnumerator& commands, CommandProgress& progress,
    const std::function<void(HostObjectPtr& feature, const std::u16string& id)>& onFeature);

// The same, for callers that do not follow the progress.
void forEachFeature(
    HostEnumerator& commands,
    const std::function<void(HostObjectPtr& feature, const std::u16string& id)>& onFeature);

}  // namespace dravosk
