// A running korvane-sim.exe with a part program file and a control channel of its own, and the
// registration of its class.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "sim/client/control_channel.h"
#include "sim/model.h"
#include "win/handles.h"

namespace dravosk::sim::client {

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

class Server {
  public:
    enum class Window { shown, hidden };

    // Starts the server with the part program file and waits until its control channel answers
    // (its class object is registered by then): up to 15 s on a busy machine.
    Server(const std::wstring& serverExe, const std::wstring& programFile, std::wstring controlName,
           Window window);
    // Stops it (see stop()).
    ~Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    bool ready() const { return ready_; }
    // Why it is not ready.
    const std::string& startError() const { return startError_; }
    const std::wstring& controlName() const { return name_; }
    HANDLE process() const { return process_.get(); }

    Reply control(const std::string& request) const { return client::control(name_, request); }
    std::optional<PartProgram> saved(std::string& error) const {
        return savedProgram(name_, error);
    }

    // Asks it to quit and waits up to 10 s; if it does not end, its class is withdrawn (so no later
    // client of this wineserver is handed a dead server) and it is terminated. False when it had
    // to be terminated.
    bool stop();
    // Terminates it at once, as a crash would end it.
    void kill();
    bool waitForExit(DWORD milliseconds) const;

  private:
    std::wstring name_;
    win::unique_handle process_;
    bool ready_ = false;
    std::string startError_;
};

}  // namespace dravosk::sim::client
