// Read of a large part program from the stand-in host in its own process, through COM: the tool's
// Read (names looked up once per object, the collection fetched in batches) beside a naive
// late-binding client (a name lookup before every call, one item per Next), in the same run on the
// same server. The server counts the round trips; this program prints them per command with the
// wall times and their ratio.
//   com_read_bench [commands]     (default 32767; every command a feature)
// Runs under Wine or on Windows; korvane-sim.exe must stand where the build put it.
#include <windows.h>
// ole2.h needs windows.h first
#include <ole2.h>

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
#include "win/com.h"

namespace {

using namespace dravosk;
using test::roundTripsByKind;
using test::throwFailure;
using Clock = std::chrono::steady_clock;

void check(HRESULT hr, const char* what) {
    if (FAILED(hr)) {
        char number[16];
        std::snprintf(number, sizeof number, "0x%08lX", static_cast<unsigned long>(hr));
        throwFailure(std::string(what) + " failed: " + number);
    }
}

std::vector<std::u16string> toolRead() {
    host::ComAutomationService service;
    sim::MemoryFeatureList list;
    sim::MemoryControlStates states;
    CommandProgress progress;
    cmd_lesen_Click(service, list, states, progress);
    std::vector<std::u16string> ids;
    for (Int16 i = 0; i < list.count(); ++i) {
        ids.push_back(list.text(i));
    }
    return ids;
}

// The naive client: plain IDispatch, every name looked up right before its call, the collection
// walked one item per Next.
win::unique_variant naiveGet(IDispatch* object, const wchar_t* name) {
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    check(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), "GetIDsOfNames");
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    win::unique_variant result;
    check(object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD | DISPATCH_PROPERTYGET,
                         &none, result.addressof(), nullptr, nullptr),
          "Invoke");
    return result;
}

win::com_ptr<IDispatch> naiveObject(IDispatch* object, const wchar_t* name) {
    win::unique_variant value = naiveGet(object, name);
    if (value.vt() != VT_DISPATCH || !V_DISPATCH(&value.get())) {
        throwFailure("not an object");
    }
    // The variant's reference becomes the caller's.
    const auto taken = win::com_ptr<IDispatch>::attach(V_DISPATCH(&value.get()));
    ::VariantInit(value.addressof());
    return taken;
}

std::vector<std::u16string> naiveRead() {
    CLSID clsid{};
    check(CLSIDFromProgID(L"KORVAN.Application", &clsid), "CLSIDFromProgID");
    win::com_ptr<IDispatch> app;
    check(CoCreateInstance(clsid, nullptr, CLSCTX_SERVER, IID_IDispatch, app.put_void()),
          "CoCreateInstance");
    const win::com_ptr<IDispatch> program = naiveObject(app.get(), L"ActivePartProgram");
    const win::com_ptr<IDispatch> commands = naiveObject(program.get(), L"Commands");
    win::com_ptr<IEnumVARIANT> items;
    {
        const win::unique_variant enumValue = naiveGet(commands.get(), L"_NewEnum");
        check(enumValue.vt() == VT_UNKNOWN && V_UNKNOWN(&enumValue.get())
                  ? V_UNKNOWN(&enumValue.get())->QueryInterface(IID_IEnumVARIANT, items.put_void())
                  : E_NOINTERFACE,
              "_NewEnum");
    }

    std::vector<std::u16string> ids;
    for (;;) {
        win::unique_variant item;
        ULONG fetched = 0;
        check(items->Next(1, item.addressof(), &fetched), "Next");
        if (fetched == 0) {
            break;
        }
        IDispatch* command = V_DISPATCH(&item.get());
        const win::unique_variant isFeature = naiveGet(command, L"IsFeature");
        if (isFeature.vt() == VT_BOOL && V_BOOL(&isFeature.get()) != VARIANT_FALSE) {
            const win::com_ptr<IDispatch> feature = naiveObject(command, L"FeatureCommand");
            const win::unique_variant id = naiveGet(feature.get(), L"ID");
            if (id.vt() == VT_BSTR && SysStringLen(V_BSTR(&id.get())) > 0) {
                ids.push_back(win::unique_bstr::textOf(V_BSTR(&id.get())));
            }
        }
    }
    return ids;
}

struct Run {
    double seconds = 0;
    std::map<std::string, long> roundTrips;
    std::vector<std::u16string> ids;
};

template <typename Read>
Run measure(const test::SimServer& server, Read read) {
    server.lines("clear-calls");
    Run run;
    const auto start = Clock::now();
    run.ids = read();
    run.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    run.roundTrips = roundTripsByKind(server.lines("calls"));
    if (run.roundTrips["CreateInstance"] != 1) {
        throwFailure(
            "the client was not served by the server this program started (is another "
            "korvane-sim.exe registered?)");
    }
    return run;
}

void print(const char* name, const Run& run, int commands) {
    long total = 0;
    for (const auto& [kind, n] : run.roundTrips) {
        total += n;
    }
    const auto per = [&](const char* kind) {
        const auto found = run.roundTrips.find(kind);
        return found == run.roundTrips.end() ? 0.0 : static_cast<double>(found->second) / commands;
    };
    std::printf("%-14s %13.3f %8.3f %8.3f %10.3f %10.3f %10.2f\n", name, per("GetIDsOfNames"),
                per("Invoke"), per("Next"), static_cast<double>(total) / commands, run.seconds,
                1000.0 * run.seconds / commands);
}

int benchmark(int size) {
    host::Apartment apartment;
    const test::SimHost server(test::korvaneSimPath(),
                               sim::formatPartProgram(test::numberedFeatures(size)),
                               L"com-read-bench", test::SimServer::Window::hidden, throwFailure);

    const Run tool = measure(server, toolRead);
    const Run naive = measure(server, naiveRead);
    std::printf("%d commands read from korvane-sim.exe (out of process)\n", size);
    std::printf("%-14s %13s %8s %8s %10s %10s %10s\n", "client", "GetIDsOfNames", "Invoke", "Next",
                "round trips", "time [s]", "ms/command");
    std::printf("%-14s %13s %8s %8s %10s\n", "", "per command", "", "", "per command");
    print("Dravosk Read", tool, size);
    print("naive client", naive, size);
    std::printf("naive time / Read time: %.2f\n", naive.seconds / tool.seconds);
    if (tool.ids != naive.ids || tool.ids.size() != static_cast<std::size_t>(size)) {
        std::printf("ERROR: the two clients read different lists (%zu and %zu entries)\n",
                    tool.ids.size(), naive.ids.size());
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const int size = argc > 1 ? std::atoi(argv[1]) : 32767;
    if (size < 1 || size > 32767) {
        std::fprintf(stderr, "usage: com_read_bench [commands 1..32767]\n");
        return 2;
    }
    try {
        return benchmark(size);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "com_read_bench: %s\n", e.what());
        return 1;
    }
}
