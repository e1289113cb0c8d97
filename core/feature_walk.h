// Walking the command collection of the active part program, shared by Read and Write.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "core/host.h"

namespace dravosk {

// Calls onFeature(featureCommand, identifier) for every command whose IsFeature is true, in the
// host's order; other commands get no call beyond IsFeature. An error from any step gets the
// command's position (1-based) prefixed to where it arose.
void forEachFeature(
    HostEnumerator& commands,
    const std::function<void(HostObject& feature, const std::u16string& id)>& onFeature);

}  // namespace dravosk
