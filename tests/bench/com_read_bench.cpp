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
#include "sim/client/server.h"
#include "sim/client/temp_file.h"
#include "sim/memory_window.h"
#include "sim/part_program_file.h"
#include "tests/support/korvane_sim_path.h"
#include "tests/support/part_program.h"

namespace {

using namespace dravosk;
using Clock = std::chrono::steady_clock;

[[noreturn]] void fail(const std::string& what) {
    throw std::runtime_error(what);
}

void check(HRESULT hr, const char* what) {
    if (FAILED(hr)) {
        char number[16];
        std::snprintf(number, sizeof number, "0x%08lX", static_cast<unsigned long>(hr));
        fail(std::string(what) + " failed: " + number);
    }
}

// The lines of the "ok" reply to a control request.
std::vector<std::string> control(const sim::client::Server& server, const std::string& request) {
    sim::client::Reply reply = server.control(request);
    if (!reply.ok) {
        fail("control request \"" + request + "\" failed: " + reply.error);
    }
    return reply.lines;
}

// "roundtrip GetIDsOfNames IsFeature 12" -> {"GetIDsOfNames", 12} summed over members.
std::map<std::string, long> roundTripsByKind(const std::vector<std::string>& lines) {
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

std::vector<std::u16string> toolRead() {
    host::ComAutomationService service;
    sim::MemoryFeatureList list;
    sim::MemoryControlStates states;
    cmd_lesen_Click(service, list, states);
    std::vector<std::u16string> ids;
    for (Int16 i = 0; i < list.count(); ++i) {
        ids.push_back(list.text(i));
    }
    return ids;
}

// The naive client: plain IDispatch, every name looked up right before its call, the collection
// walked one item per Next.
VARIANT naiveGet(IDispatch* object, const wchar_t* name) {
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    check(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), "GetIDsOfNames");
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    VARIANT result;
    VariantInit(&result);
    check(object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD | DISPATCH_PROPERTYGET,
                         &none, &result, nullptr, nullptr),
          "Invoke");
    return result;
}

IDispatch* naiveObject(IDispatch* object, const wchar_t* name) {
    VARIANT value = naiveGet(object, name);
    if (V_VT(&value) != VT_DISPATCH || !V_DISPATCH(&value)) {
        VariantClear(&value);
        fail("not an object");
    }
    return V_DISPATCH(&value);  // the variant's reference becomes the caller's
}

std::vector<std::u16string> naiveRead() {
    CLSID clsid{};
    check(CLSIDFromProgID(L"KORVAN.Application", &clsid), "CLSIDFromProgID");
    IDispatch* app = nullptr;
    check(CoCreateInstance(clsid, nullptr, CLSCTX_SERVER, IID_IDispatch,
                           reinterpret_cast<void**>(&app)),
          "CoCreateInstance");
    IDispatch* program = naiveObject(app, L"ActivePartProgram");
    IDispatch* commands = naiveObject(program, L"Commands");
    VARIANT enumValue = naiveGet(commands, L"_NewEnum");
    IEnumVARIANT* items = nullptr;
    check(V_VT(&enumValue) == VT_UNKNOWN
              ? V_UNKNOWN(&enumValue)
                    ->QueryInterface(IID_IEnumVARIANT, reinterpret_cast<void**>(&items))
              : E_NOINTERFACE,
          "_NewEnum");
    VariantClear(&enumValue);

    std::vector<std::u16string> ids;
    for (;;) {
        VARIANT item;
        VariantInit(&item);
        ULONG fetched = 0;
        check(items->Next(1, &item, &fetched), "Next");
        if (fetched == 0) {
            break;
        }
        IDispatch* command = V_DISPATCH(&item);
        VARIANT isFeature = naiveGet(command, L"IsFeature");
        if (V_VT(&isFeature) == VT_BOOL && V_BOOL(&isFeature) != VARIANT_FALSE) {
            IDispatch* feature = naiveObject(command, L"FeatureCommand");
            VARIANT id = naiveGet(feature, L"ID");
            if (V_VT(&id) == VT_BSTR && SysStringLen(V_BSTR(&id)) > 0) {
                ids.emplace_back(reinterpret_cast<const char16_t*>(V_BSTR(&id)),
                                 SysStringLen(V_BSTR(&id)));
            }
            VariantClear(&id);
            feature->Release();
        }
        VariantClear(&isFeature);
        VariantClear(&item);
    }
    items->Release();
    commands->Release();
    program->Release();
    app->Release();
    return ids;
}

struct Run {
    double seconds = 0;
    std::map<std::string, long> roundTrips;
    std::vector<std::u16string> ids;
};

template <typename Read>
Run measure(const sim::client::Server& server, Read read) {
    control(server, "clear-calls");
    Run run;
    const auto start = Clock::now();
    run.ids = read();
    run.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    run.roundTrips = roundTripsByKind(control(server, "calls"));
    if (run.roundTrips["CreateInstance"] != 1) {
        fail(
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
    const std::wstring exe = test::korvaneSimPath();
    if (const sim::client::Finished registered = sim::client::runToEnd(exe, L"/regserver");
        !registered.ended || registered.exitCode != 0) {
        fail("korvane-sim.exe /regserver failed: " + registered.error + registered.output);
    }

    sim::PartProgram program{u"Bench", {}};
    for (int i = 0; i < size; ++i) {
        program.commands.push_back(test::feature(u"Merkmal " + decimal(i + 1)));
    }
    const sim::client::TempFile file(L"com-read-bench.json");
    sim::savePartProgram(program, std::filesystem::path(file.path()));

    // Stopped at the end, whatever happens: a server left running would serve the next run in
    // its place.
    const sim::client::Server server(
        exe, file.path(), L"dravosk-com-read-bench-" + std::to_wstring(GetCurrentProcessId()),
        sim::client::Server::Window::hidden);
    if (!server.ready()) {
        fail("korvane-sim.exe: " + server.startError());
    }

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
