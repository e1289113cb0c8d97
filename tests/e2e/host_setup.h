// korvane-sim.exe for one scenario: its class registered, a part program file of the scenario's
// own, the server started with its window and stopped again before the registration goes.
#pragma once

#include <optional>
#include <string>

#include "sim/client/server.h"
#include "sim/client/temp_file.h"
#include "sim/model.h"

namespace dravosk::e2e {

struct HostSetup {
    // Every step that fails is a failed check.
    HostSetup(const std::wstring& sim, const char* program);
    bool ready() const { return registration.ok() && server->ready(); }
    // The part program the host holds now; a failed check when it cannot be read.
    std::optional<sim::PartProgram> saved() const;
    // A control request that must succeed.
    bool request(const std::string& text) const;

    sim::client::Registration registration;
    sim::client::TempFile file;
    std::optional<sim::client::Server> server;  // stopped before the registration goes
};

}  // namespace dravosk::e2e
