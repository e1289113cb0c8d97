// korvane-sim.exe as the tests start it: run to its end, or kept running with a part program and
// a control channel of its own. Every failure to reach it is a failure of the test. Where the build
// put it: tests/support/korvane_sim_path.h.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "sim/client/control_channel.h"
#include "sim/client/process.h"
#include "sim/client/server.h"
#include "sim/client/temp_file.h"
#include "sim/model.h"

namespace dravosk::test {

using sim::client::Finished;
using sim::client::Reply;
using sim::client::TempFile;

// `relative` (UTF-8, as the build names it) from the folder of this test program, as a full path.
std::wstring besideThisProgram(std::string_view relative);

// Runs the server with `arguments` to its end (registration, a refused start).
Finished runServer(const std::wstring& serverExe, const std::wstring& arguments);

class SimServer : public sim::client::Server {
  public:
    SimServer(const std::wstring& serverExe, const std::wstring& programFile,
              std::wstring controlName, Window window);
    // A server that did not quit when asked is a failure of the test.
    ~SimServer();

    // The lines of an "ok" reply; a failure of the test otherwise.
    std::vector<std::string> lines(const std::string& request) const;
    long live() const;
    // The part program it holds now.
    sim::PartProgram hostProgram() const;
};

}  // namespace dravosk::test
