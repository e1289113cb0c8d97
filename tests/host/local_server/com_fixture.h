// The tool's Read and Write run against korvane-sim.exe, a separate process reached through COM:
// the test registers the server, starts it with a part program it wrote, runs the commands
// through ComAutomationService and reads back what the server holds through its control channel.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/commands.h"
#include "core/error.h"
#include "host/com_service.h"
#include "sim/memory_window.h"
#include "sim/model.h"
#include "tests/support/bits.h"
#include "tests/support/failure.h"
#include "tests/support/korvane_sim.h"
#include "tests/support/part_program.h"
#include "tests/support/written.h"

namespace dravosk::host::test {

using dravosk::test::command;
using dravosk::test::expectSameBits;
using dravosk::test::failure;
using dravosk::test::feature;
using dravosk::test::negated;
using dravosk::test::nonFeature;
using dravosk::test::runCommand;
using sim::Command;
using sim::PartProgram;
using sim::Vector;

std::string utf8(std::u16string_view text);

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
    PartProgram hostProgram() { return server_->saved().value_or(PartProgram{}); }
    // The recorded calls ("call GetVector(1, 2, &, &, &)") and round trips of the server.
    std::vector<std::string> calls();
    // How many recorded calls start with `prefix`, e.g. "call PutVector(".
    long count(const std::string& prefix);
    // The server's count of one kind of round trip, e.g. "Next" or "GetIDsOfNames IsFeature".
    long roundTrips(const std::string& key);
    // The server must end up holding no object for the tool. Releases may arrive a little after
    // the command returns, so the count is asked a few times.
    void expectNoLiveObjects();

    void read() { runCommand(cmd_lesen_Click, service_, list_, states_, progress_); }
    void write(ControlStates& states) {
        runCommand(cmd_schreiben_Click, service_, list_, states, progress_);
    }
    void write() { write(states_); }
    // What the last Write wrote, as the window reports it.
    const WriteRecord& written() const { return progress_.record(); }
    void mark(std::u16string_view text);
    std::vector<std::u16string> entries() const { return dravosk::test::texts(list_); }

    std::unique_ptr<Apartment> apartment_;
    std::optional<dravosk::test::TempFile> program_;
    std::unique_ptr<dravosk::test::SimServer> server_;
    ComAutomationService service_;
    sim::MemoryFeatureList list_;
    sim::MemoryControlStates states_;
    CommandProgress progress_;

  private:
    void writeProgram(const PartProgram& program);
};

}  // namespace dravosk::host::test
