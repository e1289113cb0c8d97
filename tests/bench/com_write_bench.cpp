// Write to a part program in the stand-in host in its own process, through COM: the tool's Write
// (every feature listed and marked, all three vectors chosen) over the window's code path with the
// list and the check boxes in memory. Each repetition reads the list afresh (not timed), then
// writes; the server counts the round trips of the Write. Prints the median time and the round
// trips per feature.
//   com_write_bench [features [repetitions]]     (default 1000 features, 5 repetitions)
// Runs under Wine or on Windows; korvane-sim.exe must stand where the build put it.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/commands.h"
#include "core/text.h"
#include "host/com_service.h"
#include "sim/memory_window.h"
#include "sim/part_program_file.h"
#include "tests/support/korvane_sim_path.h"
#include "tests/support/part_program.h"

namespace {

using namespace dravosk;
using test::roundTripsByKind;
using test::throwFailure;
using Clock = std::chrono::steady_clock;

struct Run {
    double seconds = 0;
    std::map<std::string, long> roundTrips;
};

// One Write of every listed feature, after a Read that fills and marks the list.
Run writeOnce(const test::SimServer& server, int features) {
    host::ComAutomationService service;
    sim::MemoryFeatureList list;
    sim::MemoryControlStates states;  // all three check boxes ticked
    CommandProgress progress;
    cmd_lesen_Click(service, list, states, progress);
    if (list.count() != features) {
        throwFailure("Read listed " + std::to_string(list.count()) + " features instead of " +
                     std::to_string(features));
    }
    markAll(list);
    states.messages.clear();

    server.lines("clear-calls");
    Run run;
    const auto start = Clock::now();
    cmd_schreiben_Click(service, list, states, progress);
    run.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    run.roundTrips = roundTripsByKind(server.lines("calls"));
    if (states.messages != std::vector<std::u16string>{std::u16string(kWrittenMessage)}) {
        throwFailure("Write did not end with its message");
    }
    if (run.roundTrips["CreateInstance"] != 1) {
        throwFailure(
            "the client was not served by the server this program started (is another "
            "korvane-sim.exe registered?)");
    }
    return run;
}

int benchmark(int features, int repetitions) {
    host::Apartment apartment;
    const test::SimHost server(test::korvaneSimPath(),
                               sim::formatPartProgram(test::numberedFeatures(features)),
                               L"com-write-bench", test::SimServer::Window::hidden, throwFailure);

    std::vector<Run> runs;
    for (int r = 0; r < repetitions; ++r) {
        runs.push_back(writeOnce(server, features));
    }
    std::vector<double> seconds;
    for (const Run& run : runs) {
        seconds.push_back(run.seconds);
    }
    std::sort(seconds.begin(), seconds.end());
    const double median = seconds.size() % 2
                              ? seconds[seconds.size() / 2]
                              : (seconds[seconds.size() / 2 - 1] + seconds[seconds.size() / 2]) / 2;

    std::printf(
        "Write of %d features (all marked, three vectors) to korvane-sim.exe "
        "(out of process), %d repetitions\n",
        features, repetitions);
    std::printf("time [s]: median %.3f, min %.3f, max %.3f; median %.3f ms/feature\n", median,
                seconds.front(), seconds.back(), 1000.0 * median / features);
    long total = 0;
    std::printf("round trips per feature:");
    for (const auto& [kind, n] : runs.front().roundTrips) {
        total += n;
        std::printf(" %s %.3f", kind.c_str(), static_cast<double>(n) / features);
    }
    std::printf("; total %.3f (%ld)\n", static_cast<double>(total) / features, total);
    for (const Run& run : runs) {
        if (run.roundTrips != runs.front().roundTrips) {
            std::printf("ERROR: the repetitions made different round trips\n");
            return 1;
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const int features = argc > 1 ? std::atoi(argv[1]) : 1000;
    const int repetitions = argc > 2 ? std::atoi(argv[2]) : 5;
    if (features < 1 || features > 32767 || repetitions < 1 || repetitions > 100) {
        std::fprintf(stderr, "usage: com_write_bench [features 1..32767 [repetitions 1..100]]\n");
        return 2;
    }
    try {
        return benchmark(features, repetitions);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "com_write_bench: %s\n", e.what());
        return 1;
    }
}
