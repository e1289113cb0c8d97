// The control channel of a running korvane-sim.exe (\\.\pipe\<name>, one request a connection)
// and the part program it holds, read back through its `save` request.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "sim/model.h"

namespace dravosk::demo {

// Owns a kernel handle; INVALID_HANDLE_VALUE counts as none.
class Handle {
  public:
    explicit Handle(HANDLE handle) : handle_(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}
    ~Handle() {
        if (handle_ != nullptr) {
            CloseHandle(handle_);
        }
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

  private:
    HANDLE handle_;
};

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

}  // namespace dravosk::demo
