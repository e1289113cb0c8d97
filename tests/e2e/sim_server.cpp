#include "tests/e2e/sim_server.h"

#include "core/error.h"
#include "sim/part_program_file.h"

namespace dravosk::e2e {

using demo::control;
using demo::Handle;

namespace {

bool launch(const std::wstring& exe, const std::wstring& arguments, PROCESS_INFORMATION& info) {
    std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    return CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          nullptr, &startup, &info) != FALSE;
}

}  // namespace

long runToEnd(const std::wstring& serverExe, const std::wstring& arguments) {
    PROCESS_INFORMATION info{};
    if (!launch(serverExe, arguments, info)) {
        return -1;
    }
    const Handle process(info.hProcess);
    const Handle thread(info.hThread);
    if (WaitForSingleObject(process.get(), 30000) != WAIT_OBJECT_0) {
        TerminateProcess(process.get(), 9);
        WaitForSingleObject(process.get(), 5000);
        return -1;
    }
    DWORD code = 0;
    GetExitCodeProcess(process.get(), &code);
    return static_cast<long>(code);
}

Registration::Registration(std::wstring serverExe) : exe_(std::move(serverExe)) {
    ok_ = runToEnd(exe_, L"/regserver") == 0;
}

Registration::~Registration() {
    runToEnd(exe_, L"/unregserver");
}

SimServer::SimServer(const std::wstring& serverExe, const std::wstring& programFile)
    : name_(L"dravosk-e2e-" + std::to_wstring(GetCurrentProcessId())) {
    if (!launch(serverExe, L"--control " + name_ + L" --program \"" + programFile + L"\"",
                process_)) {
        return;
    }
    // The server answers only once its class object is registered.
    for (int attempt = 0; attempt < 750; ++attempt) {  // up to 15 s on a busy machine
        if (WaitForSingleObject(process_.hProcess, 0) == WAIT_OBJECT_0) {
            return;
        }
        if (control(name_, "live").ok) {
            ready_ = true;
            return;
        }
        Sleep(20);
    }
}

SimServer::~SimServer() {
    if (process_.hProcess == nullptr) {
        return;
    }
    if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
        control(name_, "quit");
        if (WaitForSingleObject(process_.hProcess, 10000) != WAIT_OBJECT_0) {
            // Withdrawn first, so no later client of this wineserver is handed a dead server.
            control(name_, "revoke");
            TerminateProcess(process_.hProcess, 9);
            WaitForSingleObject(process_.hProcess, 5000);
        }
    }
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
}

}  // namespace dravosk::e2e
