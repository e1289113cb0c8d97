// Programs started from a client: korvane-sim.exe for a registration or a refused start, or any
// program whose window the client then works.
#pragma once

#include <windows.h>

#include <string>

#include "win/handles.h"

namespace dravosk::sim::client {

// Starts `exe` with `arguments` (the program's name is put in front, quoted). The process, or none
// when it could not start (GetLastError() says why). With `output`, the program's standard output
// and error go there and it inherits the handle.
win::unique_handle startProgram(const std::wstring& exe, const std::wstring& arguments,
                                HANDLE output = nullptr);

struct Finished {
    bool ended = false;  // false: it could not start, or it was stopped after 30 s; `error` says
    DWORD exitCode = 0;
    std::string output;  // standard output and error together, as the program wrote them
    std::string error;
};
// Runs `exe` with `arguments` to its end.
Finished runToEnd(const std::wstring& exe, const std::wstring& arguments);

}  // namespace dravosk::sim::client
