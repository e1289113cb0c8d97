#include "tests/e2e/host_setup.h"

#include <windows.h>

#include "demo/form1_remote.h"
#include "demo/vector_check.h"

namespace dravosk::e2e {

using demo::check;
using demo::wide;

HostSetup::HostSetup(const std::wstring& sim, const char* program)
    : registration(sim), file(L"program.json") {
    check(registration.ok(), L"korvane-sim.exe /regserver");
    check(file.write(program), L"the part program file is written");
    server.emplace(sim, file.path(), L"dravosk-e2e-" + std::to_wstring(GetCurrentProcessId()),
                   sim::client::Server::Window::shown);
    check(server->ready(), L"korvane-sim.exe starts and answers on its control channel: " +
                               wide(server->startError()));
}

std::optional<sim::PartProgram> HostSetup::saved() const {
    std::string error;
    std::optional<sim::PartProgram> program = server->saved(error);
    check(error.empty(), L"the host's part program is saved: " + wide(error));
    return program;
}

bool HostSetup::request(const std::string& text) const {
    const sim::client::Reply reply = server->control(text);
    check(reply.ok, wide(text) + L": " + wide(reply.error));
    return reply.ok;
}

}  // namespace dravosk::e2e
