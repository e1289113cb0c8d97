// Plays the tool's main job against the stand-in host in memory, without a window: Read, mark all,
// Write, and prints every feature's vectors before and after.
//   korvane-demo [PART_PROGRAM.json]
#include <cmath>
#include <cstdio>
#include <exception>
#include <optional>
#include <utility>

#include "core/commands.h"
#include "core/error.h"
#include "core/text.h"
#include "sim/memory_host.h"
#include "sim/memory_window.h"
#include "sim/part_program_file.h"

namespace {

using namespace dravosk;

class PrintingStates final : public ControlStates {
  public:
    void setEnabled(Button, bool) override {}
    int checkState(CheckBox) const override { return 1; }
    void showMessage(std::u16string_view text) override {
        std::printf("[Dravosk] %s\n", toUtf8(text).c_str());
    }
};

void print(const sim::Model& model) {
    for (const sim::Command& c : model.active()->commands) {
        const auto* id = std::get_if<std::u16string>(&c.id);
        if (!std::holds_alternative<bool>(c.isFeature) || !std::get<bool>(c.isFeature)) {
            continue;
        }
        std::printf("  %-20s", ("\"" + toUtf8(id ? *id : u"?") + "\"").c_str());
        for (const sim::Vector& v : c.vectors) {
            std::printf("  (%g, %g, %g)", v[0], v[1], v[2]);
        }
        std::printf("\n");
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::optional<sim::PartProgram> program;
    try {
        program = sim::loadPartProgram(argc > 1 ? argv[1] : DRAVOSK_DEMO_PROGRAM);
    } catch (const Error& e) {
        std::fprintf(stderr, "korvane-demo: %s\n", sim::loadFailureText(e).c_str());
        return 2;
    }
    try {
        sim::Model model(std::move(program));
        if (!model.active()) {
            std::printf("no active part program\n");
            return 1;
        }
        sim::MemoryHost host(model);
        sim::MemoryFeatureList list;
        PrintingStates states;
        CommandProgress progress;
        std::printf("Before (Theo, IST, Ziel):\n");
        print(model);
        cmd_lesen_Click(host, list, states, progress);
        std::printf("Read %d features; marking all.\n", list.count());
        markAll(list);
        cmd_schreiben_Click(host, list, states, progress);
        std::printf("After:\n");
        print(model);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "Fehler: %s\n", e.what());
        return 2;
    }
}
