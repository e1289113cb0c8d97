// The host's automation objects as the server hands them out: application, part program, command
// collection, command and feature command, each with exactly the host's members.
#pragma once

#include <oaidl.h>

#include "sim/model.h"
#include "sim/server/server_state.h"

namespace dravosk::sim::server {

// A new object of `ref`'s kind with one reference for the caller. Throws std::bad_alloc.
IDispatch* newHostObject(ServerState& state, const ObjectRef& ref);

// A property value as Invoke returns it: a plain value, or a new object (VT_DISPATCH).
void propertyToVariant(ServerState& state, const Property& property, VARIANT* out);

}  // namespace dravosk::sim::server
