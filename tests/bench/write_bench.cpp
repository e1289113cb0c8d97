// Write over the in-memory stand-in host: the tool's Write against the plain nested scan (every
// feature compared with every list entry), on part programs where every feature has its own entry
// and all entries are marked. Prints both times and their ratio.
//   write_bench [sizes...]     (default 1000 8000 32767)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/commands.h"
#include "core/text.h"
#include "sim/memory_host.h"
#include "sim/memory_window.h"
#include "tests/support/part_program.h"

namespace {

using namespace dravosk;
using Clock = std::chrono::steady_clock;

class QuietStates final : public ControlStates {
  public:
    void setEnabled(Button, bool) override {}
    int checkState(CheckBox) const override { return 1; }
    void showMessage(std::u16string_view) override {}
};

// The nested scan as a straightforward reading of the command: for each feature, walk the whole
// list with 16-bit indexes and compare every entry's text.
void nestedScanWrite(AutomationService& service, FeatureList& list, ControlStates& states) {
    HostContext host(service);
    HostEnumeratorPtr commands = host.commands().enumerate();
    CommandProgress progress;
    forEachFeature(*commands, progress, [&](HostObjectPtr& feature, const std::u16string& id) {
        const Int16 last = checkedSub(list.count(), 1);
        for (Int16 index = 0; index <= last; index = checkedAdd(index, 1)) {
            if (list.text(index) != id || !list.isMarked(index)) {
                continue;
            }
            const std::int32_t codes[] = {2, 3, 27};
            const CheckBox boxes[] = {CheckBox::check1, CheckBox::check2, CheckBox::check3};
            for (int set = 0; set < 3; ++set) {
                double x = 0, y = 0, z = 0;
                const HostArg get[] = {1, codes[set], &x, &y, &z};
                feature->call(u"GetVector", get);
                if (states.checkState(boxes[set]) == 1) {
                    const HostArg put[] = {1, codes[set], -x, -y, -z};
                    feature->call(u"PutVector", put);
                }
            }
        }
    });
    states.showMessage(kWrittenMessage);
    list.clear();
    states.setEnabled(Button::schreiben, false);
}

template <typename Write>
double secondsFor(int size, Write write) {
    sim::PartProgram program{u"Bench", {}};
    for (int i = 0; i < size; ++i) {
        program.commands.push_back(test::feature(u"Merkmal_" + std::u16string(u"0000000") +
                                                 static_cast<char16_t>(u'A' + i % 26) +
                                                 decimal(i)));
    }
    sim::Model model(std::move(program));
    sim::MemoryHost host(model);
    sim::MemoryFeatureList list;
    QuietStates states;
    CommandProgress progress;
    cmd_lesen_Click(host, list, states, progress);
    markAll(list);
    const auto start = Clock::now();
    write(host, list, states);
    return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<int> sizes = {1000, 8000, 32767};
    if (argc > 1) {
        sizes.clear();
        for (int i = 1; i < argc; ++i) {
            sizes.push_back(std::atoi(argv[i]));
        }
    }
    std::printf("%8s %14s %16s %10s\n", "features", "Write [s]", "nested scan [s]", "ratio");
    for (int size : sizes) {
        const double fast = secondsFor(
            size, [](AutomationService& service, FeatureList& list, ControlStates& states) {
                CommandProgress progress;
                cmd_schreiben_Click(service, list, states, progress);
            });
        const double slow = std::getenv("NO_REFERENCE") ? 0.0 : secondsFor(size, nestedScanWrite);
        std::printf("%8d %14.4f %16.4f %10.1f\n", size, fast, slow, slow / fast);
        std::fflush(stdout);
    }
    return 0;
}
