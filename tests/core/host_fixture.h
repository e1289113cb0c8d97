// Shared set-up for the command tests: a stand-in host in memory, the list and the control states.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/commands.h"
#include "core/error.h"
#include "sim/faults.h"
#include "sim/memory_host.h"
#include "sim/memory_window.h"
#include "sim/model.h"
#include "sim/recorder.h"
#include "tests/support/failure.h"
#include "tests/support/part_program.h"
#include "tests/support/written.h"

namespace dravosk::test {

inline std::vector<std::string> described(const sim::Recorder& recorder) {
    std::vector<std::string> out;
    for (const sim::Call& call : recorder.calls()) {
        out.push_back(sim::describe(call));
    }
    return out;
}

class HostTest : public ::testing::Test {
  protected:
    void load(std::vector<sim::Command> commands) {
        model.setActive(sim::PartProgram{u"Test", std::move(commands)});
    }
    sim::Command& command(std::size_t index) { return model.active()->commands.at(index); }

    void read() { runCommand(cmd_lesen_Click, host, list, states, progress); }
    void write(ControlStates& with) { runCommand(cmd_schreiben_Click, host, list, with, progress); }
    void write() { write(states); }
    // What the last Write wrote, as the window reports it.
    const WriteRecord& written() const { return progress.record(); }

    sim::Model model;
    sim::Recorder recorder{model};
    sim::Faults faults{model};
    sim::MemoryHost host{model, &recorder};
    sim::MemoryFeatureList list;
    sim::MemoryControlStates states;
    CommandProgress progress;
};

}  // namespace dravosk::test
