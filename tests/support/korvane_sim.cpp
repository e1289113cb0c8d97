#include "tests/support/korvane_sim.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <stdexcept>

#include "core/text.h"
#include "win/text.h"

namespace dravosk::test {

void addFailure(const std::string& what) {
    ADD_FAILURE() << what;
}

void throwFailure(const std::string& what) {
    throw std::runtime_error(what);
}

std::wstring besideThisProgram(std::string_view relative) {
    wchar_t self[MAX_PATH * 2];
    const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH * 2);
    std::wstring path(self, length);
    path = path.substr(0, path.find_last_of(L"\\/") + 1) + win::wide(fromUtf8(relative));
    wchar_t full[MAX_PATH * 2];
    const DWORD fullLength = GetFullPathNameW(path.c_str(), MAX_PATH * 2, full, nullptr);
    return fullLength > 0 && fullLength < MAX_PATH * 2 ? std::wstring(full, fullLength) : path;
}

Finished runServer(const std::wstring& serverExe, const std::wstring& arguments) {
    Finished finished = sim::client::runToEnd(serverExe, arguments);
    if (!finished.ended) {
        addFailure("korvane-sim.exe " + toUtf8(win::u16(arguments)) + ": " + finished.error);
    }
    return finished;
}

SimServer::SimServer(const std::wstring& serverExe, const std::wstring& programFile,
                     std::wstring controlName, Window window, OnFailure onFailure)
    : Server(serverExe, programFile, std::move(controlName), window), onFailure_(onFailure) {
    if (!ready()) {
        onFailure_(startError());
    }
}

SimServer::~SimServer() {
    // Only a test is still running here to count it: the driver and the benchmarks have made their
    // result by the time their host goes (a scenario's host may still hold a call back then), and
    // a benchmark's failure is an exception, which must not leave a destructor.
    if (!stop() && onFailure_ == addFailure) {
        addFailure("the server did not quit");
    }
}

Reply SimServer::request(const std::string& text) const {
    Reply reply = control(text);
    if (!reply.ok) {
        onFailure_(text + ": " + reply.error);
    }
    return reply;
}

long SimServer::live() const {
    const std::vector<std::string> reply = lines("live");
    return reply.size() == 1 ? std::strtol(reply[0].c_str(), nullptr, 10) : -1;
}

std::optional<sim::PartProgram> SimServer::saved() const {
    std::string error;
    std::optional<sim::PartProgram> program = Server::saved(error);
    if (!error.empty()) {
        onFailure_(error);
    } else if (!program) {
        onFailure_("the server has no part program");
    }
    return program;
}

std::map<std::string, long> roundTripsByKind(const std::vector<std::string>& calls) {
    std::map<std::string, long> byKind;
    for (const std::string& line : calls) {
        if (line.rfind("roundtrip ", 0) != 0) {
            continue;
        }
        const std::string rest = line.substr(10);
        const std::string kind = rest.substr(0, rest.find(' '));
        byKind[kind] += std::stol(rest.substr(rest.find_last_of(' ') + 1));
    }
    return byKind;
}

SimHostSetup::SimHostSetup(const std::wstring& serverExe, std::string_view program,
                           const std::wstring& name, OnFailure onFailure)
    : registration(serverExe), file(name + L".json") {
    if (!registration.ok()) {
        onFailure("korvane-sim.exe /regserver failed");
    }
    if (!file.write(program)) {
        onFailure("the part program file cannot be written");
    }
}

SimHost::SimHost(const std::wstring& serverExe, std::string_view program, const std::wstring& name,
                 Window window, OnFailure onFailure)
    : SimHostSetup(serverExe, program, name, onFailure),
      SimServer(serverExe, file.path(),
                L"dravosk-" + name + L"-" + std::to_wstring(GetCurrentProcessId()), window,
                onFailure) {}

}  // namespace dravosk::test
