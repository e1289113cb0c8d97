// korvane-sim.exe as the end-to-end scenarios use it: its class registration, its process, its
// control channel and the part program it holds (read back through its `save` request).
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "sim/model.h"

namespace dravosk::e2e {

struct Reply {
    bool ok = false;
    std::vector<std::string> lines;
    std::string error;
};
// One request over \\.\pipe\<name>; a failure to connect comes back as an error reply.
Reply control(const std::wstring& name, const std::string& request);

// A file in this program's temporary folder, unique to this process; removed with the object.
class TempFile {
  public:
    explicit TempFile(const std::wstring& stem);
    ~TempFile();
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    const std::wstring& path() const { return path_; }
    bool write(const std::string& utf8) const;

  private:
    std::wstring path_;
};

// The part program the server holds right now, as its `save` request writes it. Empty when the
// request or the file failed (`error` says why), or when no part program is open.
std::optional<sim::PartProgram> savedProgram(const std::wstring& controlName, std::string& error);

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
    Reply request(const std::string& text) const { return control(name_, text); }
    std::optional<sim::PartProgram> saved(std::string& error) const {
        return savedProgram(name_, error);
    }

  private:
    std::wstring name_;
    PROCESS_INFORMATION process_{};
    bool ready_ = false;
};

}  // namespace dravosk::e2e
