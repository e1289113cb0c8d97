// The control channel of a running korvane-sim.exe (\\.\pipe\<name>, one request a connection)
// and the part program it holds, read back through its `save` request.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "sim/model.h"

namespace dravosk::sim::client {

struct Reply {
    bool ok = false;
    std::vector<std::string> lines;  // of an "ok" reply
    std::string error;               // otherwise: the server's reason, or why it was not reached
};
// One request; a failure to connect comes back as an error reply.
Reply control(const std::wstring& name, const std::string& request);

// The part program the server holds right now, as its `save` request writes it. Empty when the
// request or the file failed (`error` says why), or when no part program is open.
std::optional<PartProgram> savedProgram(const std::wstring& controlName, std::string& error);

}  // namespace dravosk::sim::client
