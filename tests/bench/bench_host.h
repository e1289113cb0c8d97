// What the COM benchmarks share: korvane-sim.exe registered and serving a part program of
// features "Merkmal 1", "Merkmal 2", ... in a process of its own, asked through its control
// channel.
#pragma once

#include <windows.h>

#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/text.h"
#include "sim/client/server.h"
#include "sim/client/temp_file.h"
#include "sim/part_program_file.h"
#include "tests/support/korvane_sim_path.h"
#include "tests/support/part_program.h"

namespace dravosk::bench {

[[noreturn]] inline void fail(const std::string& what) {
    throw std::runtime_error(what);
}

// The lines of the "ok" reply to a control request.
inline std::vector<std::string> control(const sim::client::Server& server,
                                        const std::string& request) {
    sim::client::Reply reply = server.control(request);
    if (!reply.ok) {
        fail("control request \"" + request + "\" failed: " + reply.error);
    }
    return reply.lines;
}

// The server's "calls" lines ("roundtrip Invoke PutVector 12") summed per kind of round trip
// ({"Invoke", 12}), over all members.
inline std::map<std::string, long> roundTripsByKind(const std::vector<std::string>& lines) {
    std::map<std::string, long> byKind;
    for (const std::string& line : lines) {
        if (line.rfind("roundtrip ", 0) != 0) {
            continue;
        }
        const std::string rest = line.substr(10);
        const std::string kind = rest.substr(0, rest.find(' '));
        byKind[kind] += std::stol(rest.substr(rest.find_last_of(' ') + 1));
    }
    return byKind;
}

class BenchHost {
  public:
    // `name` names the part program's file and the control channel.
    BenchHost(int features, const std::wstring& name)
        : exe_(registered()), file_(name + L".json"), server_(start(features, name)) {
        if (!server_.ready()) {
            fail("korvane-sim.exe: " + server_.startError());
        }
    }

    const sim::client::Server& server() const { return server_; }

  private:
    static std::wstring registered() {
        std::wstring exe = test::korvaneSimPath();
        if (const sim::client::Finished done = sim::client::runToEnd(exe, L"/regserver");
            !done.ended || done.exitCode != 0) {
            fail("korvane-sim.exe /regserver failed: " + done.error + done.output);
        }
        return exe;
    }

    sim::client::Server start(int features, const std::wstring& name) {
        sim::PartProgram program{u"Bench", {}};
        for (int i = 0; i < features; ++i) {
            program.commands.push_back(test::feature(u"Merkmal " + decimal(i + 1)));
        }
        sim::savePartProgram(program, std::filesystem::path(file_.path()));
        // Stopped at the end, whatever happens: a server left running would serve the next run
        // in its place.
        return sim::client::Server(
            exe_, file_.path(), L"dravosk-" + name + L"-" + std::to_wstring(GetCurrentProcessId()),
            sim::client::Server::Window::hidden);
    }

    std::wstring exe_;
    sim::client::TempFile file_;
    sim::client::Server server_;
};

}  // namespace dravosk::bench
