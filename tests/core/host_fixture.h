// Shared set-up for the command tests: a stand-in host in memory, the list and the control states.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/commands.h"
#include "core/error.h"
#include "core/feature_list.h"
#include "sim/faults.h"
#include "sim/memory_host.h"
#include "sim/model.h"
#include "sim/recorder.h"

namespace dravosk::testing {

inline sim::Command feature(std::u16string id, sim::Vector theo = {1, 2, 3},
                            sim::Vector ist = {4, 5, 6}, sim::Vector ziel = {7, 8, 9}) {
    sim::Command c;
    c.isFeature = true;
    c.id = std::move(id);
    c.vectors = {theo, ist, ziel};
    return c;
}

inline sim::Command nonFeature(sim::Value isFeature = false) {
    sim::Command c;
    c.isFeature = std::move(isFeature);
    c.id = std::u16string(u"kein Merkmal");
    return c;
}

inline std::vector<std::u16string> texts(const FeatureList& list) {
    std::vector<std::u16string> out;
    for (Int16 i = 0; i < list.count(); ++i) {
        out.push_back(list.text(i));
    }
    return out;
}

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

    void read() { cmd_lesen_Click(host, list, states); }
    void write() { cmd_schreiben_Click(host, list, states); }

    // Runs `command`, expecting it to fail; returns the error.
    template <typename F>
    Error failure(F&& command) {
        try {
            command();
        } catch (const Error& e) {
            return e;
        }
        ADD_FAILURE() << "the command did not fail";
        return Error(0, u"");
    }

    sim::Model model;
    sim::Recorder recorder{model};
    sim::Faults faults{model};
    sim::MemoryHost host{model, &recorder};
    MemoryFeatureList list;
    MemoryControlStates states;
};

}  // namespace dravosk::testing
