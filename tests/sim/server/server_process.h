// Starting, driving and stopping korvane-sim.exe from a test: its process, its command line and
// its control channel.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "win/unique_handle.h"

namespace dravosk::sim::server::test {

// The server program beside the test program.
std::wstring serverPath();

struct Finished {
    DWORD exitCode = 0;
    std::string output;  // stdout and stderr together, UTF-8
};
// Runs the server with `arguments` to its end (registration, a refused start).
Finished runServer(const std::wstring& arguments);

struct Reply {
    bool ok = false;
    std::vector<std::string> lines;
    std::string error;
};
// One request over \\.\pipe\<name>. A failure to connect comes back as an error reply.
Reply control(const std::wstring& name, const std::string& request);

class ServerProcess {
  public:
    // Starts the server with the part program file and a control channel of its own and waits
    // until the channel answers. Headless unless `window`.
    ServerProcess(const std::wstring& programFile, std::wstring controlName, bool window = false);
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;
    // Asks the server to quit and waits for it; kills it if it does not end.
    ~ServerProcess();

    bool started() const { return started_; }
    Reply control(const std::string& request) const { return test::control(name_, request); }
    // The lines of an "ok" reply; fails the test otherwise.
    std::vector<std::string> lines(const std::string& request) const;
    long live() const;
    void kill();
    bool waitForExit(DWORD timeoutMs) const;
    HANDLE process() const { return process_.get(); }

  private:
    std::wstring name_;
    win::unique_handle process_;
    bool started_ = false;
};

}  // namespace dravosk::sim::server::test
