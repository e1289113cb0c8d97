// korvane-sim.exe as the tests, the end-to-end scenarios and the benchmarks start it: run to its
// end, or kept running with a part program and a control channel of its own. Every failure to
// reach it goes to the program's OnFailure. Where the build put it:
// tests/support/korvane_sim_path.h.
#pragma once

#include <windows.h>

#include <map>
#include <optional>
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

// What a failure to reach the server is: a failed check of the running test (addFailure), a
// failed check of the end-to-end driver, or the end of a benchmark (throwFailure).
using OnFailure = void (*)(const std::string& what);
void addFailure(const std::string& what);
[[noreturn]] void throwFailure(const std::string& what);  // std::runtime_error

// `relative` (UTF-8, as the build names it) from the folder of this test program, as a full path.
std::wstring besideThisProgram(std::string_view relative);

// Runs the server with `arguments` to its end (registration, a refused start).
Finished runServer(const std::wstring& serverExe, const std::wstring& arguments);

class SimServer : public sim::client::Server {
  public:
    SimServer(const std::wstring& serverExe, const std::wstring& programFile,
              std::wstring controlName, Window window, OnFailure onFailure = addFailure);
    // A server that did not quit when asked is a failure of a test (addFailure).
    ~SimServer();

    // The reply to a request that must succeed.
    Reply request(const std::string& text) const;
    std::vector<std::string> lines(const std::string& text) const { return request(text).lines; }
    long live() const;
    // The part program it holds now; a failure when it cannot be read or none is open.
    std::optional<sim::PartProgram> saved() const;

  private:
    OnFailure onFailure_;
};

// The "roundtrip" lines of a "calls" reply ("roundtrip Invoke PutVector 12") summed per kind of
// round trip ({"Invoke", 12}), over all members.
std::map<std::string, long> roundTripsByKind(const std::vector<std::string>& calls);

// What a SimHost sets up before its server starts and takes down after the server has stopped.
struct SimHostSetup {
    SimHostSetup(const std::wstring& serverExe, std::string_view program, const std::wstring& name,
                 OnFailure onFailure);
    sim::client::Registration registration;
    TempFile file;
};

// korvane-sim.exe for a scenario or a benchmark: its class registered, `program` (a part program
// file's text) in a file of its own, served under the control channel "dravosk-<name>-<process>".
class SimHost : private SimHostSetup, public SimServer {
  public:
    SimHost(const std::wstring& serverExe, std::string_view program, const std::wstring& name,
            Window window, OnFailure onFailure);
    bool ready() const { return registration.ok() && SimServer::ready(); }
};

}  // namespace dravosk::test
