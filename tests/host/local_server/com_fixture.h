// The tool's Read and Write run against korvane-sim.exe, a separate process reached through COM:
// the test registers the server, starts it with a part program it wrote, runs the commands
// through ComAutomationService and reads back what the server holds through its control channel.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/commands.h"
#include "core/error.h"
#include "host/com_service.h"
#include "sim/model.h"
#include "tests/sim/server/server_process.h"

namespace dravosk::host::test {

using sim::Command;
using sim::PartProgram;
using sim::Vector;

// A feature command with its three vectors (Theo, IST, Ziel).
Command feature(sim::Value id, Vector theo, Vector ist, Vector ziel);
Command feature(sim::Value id);
// A command whose IsFeature is `isFeature`, whatever its type.
Command command(sim::Value isFeature, sim::Value id);
Command nonFeature(sim::Value isFeature, sim::Value id = {});

std::string utf8(std::u16string_view text);

// The 64 bits of a double, so that -0 and 0 differ.
std::uint64_t bits(double value);
Vector negated(const Vector& v);
// Fails with the first component whose bits differ.
void expectSameBits(const Vector& actual, const Vector& expected, const std::string& what);

class ComCommandsTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite();
    void SetUp() override;
    void TearDown() override;

    // Starts the server with `program` (written to a file of this test).
    void start(const PartProgram& program);
    // Makes `program` the server's active part program.
    void load(const PartProgram& program);
    // The part program as the server holds it now, read from the file it saves.
    PartProgram hostProgram();
    // The recorded calls ("call GetVector(1, 2, &, &, &)") and round trips of the server.
    std::vector<std::string> calls();
    // How many recorded calls start with `prefix`, e.g. "call PutVector(".
    long count(const std::string& prefix);
    // The server's count of one kind of round trip, e.g. "Next" or "GetIDsOfNames IsFeature".
    long roundTrips(const std::string& key);
    // The server must end up holding no object for the tool. Releases may arrive a little after
    // the command returns, so the count is asked a few times.
    void expectNoLiveObjects();

    void read() { cmd_lesen_Click(service_, list_, states_); }
    void write() { cmd_schreiben_Click(service_, list_, states_); }
    void mark(std::u16string_view text);
    std::vector<std::u16string> entries() const;

    template <typename F>
    static Error failure(F&& action) {
        try {
            action();
        } catch (const Error& e) {
            return e;
        }
        ADD_FAILURE() << "no error was raised";
        return Error(0, u"");
    }

    std::unique_ptr<Apartment> apartment_;
    std::unique_ptr<sim::server::test::ServerProcess> server_;
    ComAutomationService service_;
    MemoryFeatureList list_;
    MemoryControlStates states_;

  private:
    std::wstring file(const wchar_t* stem) const;
    void writeProgram(const PartProgram& program);
};

}  // namespace dravosk::host::test
