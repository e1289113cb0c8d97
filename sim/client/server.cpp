#include "sim/client/server.h"

#include "sim/client/process.h"

namespace dravosk::sim::client {

Registration::Registration(std::wstring serverExe) : exe_(std::move(serverExe)) {
    const Finished registered = runToEnd(exe_, L"/regserver");
    ok_ = registered.ended && registered.exitCode == 0;
}

Registration::~Registration() {
    runToEnd(exe_, L"/unregserver");
}

Server::Server(const std::wstring& serverExe, const std::wstring& programFile,
               std::wstring controlName, Window window)
    : name_(std::move(controlName)) {
    process_ =
        startProgram(serverExe, std::wstring(window == Window::hidden ? L"--no-window " : L"") +
                                    L"--control " + name_ + L" --program \"" + programFile + L"\"");
    if (!process_) {
        startError_ = "korvane-sim.exe does not start, error " + std::to_string(GetLastError());
        return;
    }
    // The server answers only once its class object is registered.
    for (int attempt = 0; attempt < 750; ++attempt) {
        if (WaitForSingleObject(process_.get(), 0) == WAIT_OBJECT_0) {
            startError_ = "the server ended at start";
            return;
        }
        if (control("live").ok) {
            ready_ = true;
            return;
        }
        Sleep(20);
    }
    startError_ = "the server's control channel did not answer";
}

Server::~Server() {
    stop();
}

bool Server::stop() {
    if (!process_ || WaitForSingleObject(process_.get(), 0) != WAIT_TIMEOUT) {
        return true;
    }
    control("quit");
    if (waitForExit(10000)) {
        return true;
    }
    control("revoke");
    kill();
    return false;
}

void Server::kill() {
    TerminateProcess(process_.get(), 9);
    waitForExit(10000);
}

bool Server::waitForExit(DWORD milliseconds) const {
    return WaitForSingleObject(process_.get(), milliseconds) == WAIT_OBJECT_0;
}

}  // namespace dravosk::sim::client
