// Walking the command collection of the active part program, shared by Read and Write.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "core/command_progress.h"
#include "core/host.h"

namespace dravosk {

// Calls onFeature(featureCommand, identifier) for every command whose IsFeature is true, in the
// host's order; other commands get no call beyond IsFeature. Each command is a step of
// `progress` named by its position (1-based, "Befehl 5"), so an error from any step within it
// is named that way.
void forEachFeature(
    HostEnumerator& commands, CommandProgress& progress,
    const std::function<void(HostObject& feature, const std::u16string& id)>& onFeature);

// The same, for callers that do not follow the progress.
void forEachFeature(
    HostEnumerator& commands,
    const std::function<void(HostObject& feature, const std::u16string& id)>& onFeature);

}  // namespace dravosk
