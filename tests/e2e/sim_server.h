// korvane-sim.exe as the end-to-end scenarios use it: its class registration and its process. Its
// control channel and the part program it holds come from demo/sim_control.h.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "demo/sim_control.h"
#include "sim/model.h"

namespace dravosk::e2e {

// Registers the server's class for the lifetime of the object (/regserver, then /unregserver).
class Registration {
  public:
    explicit Registration(std::wstring serverExe);
    ~Registration();
    Registration(const Registration&) = delete;
    Registration& operator=(const Registration&) = delete;
    bool ok() const { return ok_; }

  private:
    std::wstring exe_;
    bool ok_ = false;
};

// Runs the server with `arguments` to its end; its exit code, or -1 when it could not start or
// did not end within 30 s.
long runToEnd(const std::wstring& serverExe, const std::wstring& arguments);

// A running korvane-sim.exe with its window, a part program file and a control channel of its
// own. Ready once the channel answers (the class object is registered by then). The destructor
// always stops it: `quit`, or else `revoke` and termination by its handle.
class SimServer {
  public:
    SimServer(const std::wstring& serverExe, const std::wstring& programFile);
    ~SimServer();
    SimServer(const SimServer&) = delete;
    SimServer& operator=(const SimServer&) = delete;

    bool ready() const { return ready_; }
    const std::wstring& controlName() const { return name_; }
    demo::Reply request(const std::string& text) const { return demo::control(name_, text); }
    std::optional<sim::PartProgram> saved(std::string& error) const {
        return demo::savedProgram(name_, error);
    }

  private:
    std::wstring name_;
    PROCESS_INFORMATION process_{};
    bool ready_ = false;
};

}  // namespace dravosk::e2e
