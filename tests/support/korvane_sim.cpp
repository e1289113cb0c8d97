#include "tests/support/korvane_sim.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "core/text.h"
#include "win/text.h"

namespace dravosk::test {

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
        ADD_FAILURE() << "korvane-sim.exe " << toUtf8(win::u16(arguments)) << ": "
                      << finished.error;
    }
    return finished;
}

SimServer::SimServer(const std::wstring& serverExe, const std::wstring& programFile,
                     std::wstring controlName, Window window)
    : Server(serverExe, programFile, std::move(controlName), window) {
    if (!ready()) {
        ADD_FAILURE() << startError();
    }
}

SimServer::~SimServer() {
    if (!stop()) {
        ADD_FAILURE() << "the server did not quit";
    }
}

std::vector<std::string> SimServer::lines(const std::string& request) const {
    Reply reply = control(request);
    EXPECT_TRUE(reply.ok) << request << ": " << reply.error;
    return reply.lines;
}

long SimServer::live() const {
    const std::vector<std::string> reply = lines("live");
    return reply.size() == 1 ? std::strtol(reply[0].c_str(), nullptr, 10) : -1;
}

sim::PartProgram SimServer::hostProgram() const {
    std::string error;
    std::optional<sim::PartProgram> program = saved(error);
    if (!error.empty()) {
        ADD_FAILURE() << error;
    } else if (!program) {
        ADD_FAILURE() << "the server has no part program";
    }
    return program.value_or(sim::PartProgram{});
}

}  // namespace dravosk::test
