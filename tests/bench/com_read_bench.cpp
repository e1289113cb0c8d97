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
#include "sim/part_program_file.h"
#include "sim/server/class_id.h"
#include "win/unique_handle.h"

#ifndef KORVANE_SIM_RELATIVE
#error "KORVANE_SIM_RELATIVE: the server's path relative to this program"
#endif

namespace {

using namespace dravosk;
using win::unique_handle;
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

std::wstring wide(std::string_view utf8) {
    const std::u16string text = fromUtf8(utf8);
    return {text.begin(), text.end()};
}

std::wstring serverPath() {
    wchar_t path[MAX_PATH * 2];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
    std::wstring self(path, length);
    return std::filesystem::path(self.substr(0, self.find_last_of(L"\\/") + 1) +
                                 wide(KORVANE_SIM_RELATIVE))
        .lexically_normal()
        .wstring();
}

unique_handle launchServer(const std::wstring& arguments) {
    std::wstring commandLine = L"\"" + serverPath() + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info)) {
        fail("cannot start korvane-sim.exe, error " + std::to_string(GetLastError()));
    }
    CloseHandle(info.hThread);
    return unique_handle(info.hProcess);
}

// One request over the server's control channel; the lines of its "ok" reply, or nothing with
// `ok` false.
std::vector<std::string> control(const std::wstring& name, const std::string& request, bool& ok) {
    ok = false;
    const std::wstring path = L"\\\\.\\pipe\\" + name;
    unique_handle pipe;
    // The one pipe instance is busy until the server has let go of the previous client.
    for (int attempt = 0; attempt < 100 && !pipe; ++attempt) {
        pipe = unique_handle(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                         OPEN_EXISTING, 0, nullptr));
        if (!pipe) {
            if (GetLastError() != ERROR_PIPE_BUSY) {
                return {};
            }
            WaitNamedPipeW(path.c_str(), 100);
        }
    }
    if (!pipe) {
        return {};
    }
    const std::string text = request + "\n";
    DWORD written = 0;
    if (!WriteFile(pipe.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr)) {
        return {};
    }
    std::string reply;
    char chunk[65536];
    DWORD got = 0;
    std::vector<std::string> lines;
    std::size_t expected = 0;
    bool header = false;
    for (;;) {
        std::size_t end;
        while ((end = reply.find('\n')) != std::string::npos) {
            std::string line = reply.substr(0, end);
            reply.erase(0, end + 1);
            if (!header) {
                if (line.rfind("ok ", 0) != 0) {
                    return {};
                }
                header = true;
                expected = std::stoul(line.substr(3));
            } else {
                lines.push_back(std::move(line));
            }
            if (header && lines.size() == expected) {
                ok = true;
                return lines;
            }
        }
        if (!ReadFile(pipe.get(), chunk, sizeof chunk, &got, nullptr) || got == 0) {
            return {};
        }
        reply.append(chunk, got);
    }
}

std::vector<std::string> control(const std::wstring& name, const std::string& request) {
    bool ok = false;
    std::vector<std::string> lines = control(name, request, ok);
    if (!ok) {
        fail("control request \"" + request + "\" failed");
    }
    return lines;
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

class QuietStates final : public ControlStates {
  public:
    void setEnabled(Button, bool) override {}
    int checkState(CheckBox) const override { return 1; }
    void showMessage(std::u16string_view) override {}
};

std::vector<std::u16string> toolRead() {
    host::ComAutomationService service;
    MemoryFeatureList list;
    QuietStates states;
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
Run measure(const std::wstring& channel, Read read) {
    control(channel, "clear-calls");
    Run run;
    const auto start = Clock::now();
    run.ids = read();
    run.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    run.roundTrips = roundTripsByKind(control(channel, "calls"));
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

// A server left running would serve the next run in its place.
void stop(const unique_handle& server, const std::wstring& channel) {
    bool ok = false;
    control(channel, "quit", ok);
    if (WaitForSingleObject(server.get(), 10000) != WAIT_OBJECT_0) {
        TerminateProcess(server.get(), 1);
    }
}

int benchmark(int size) {
    host::Apartment apartment;
    {
        unique_handle registration = launchServer(L"/regserver");
        WaitForSingleObject(registration.get(), INFINITE);
        DWORD code = 1;
        GetExitCodeProcess(registration.get(), &code);
        if (code != 0) {
            fail("korvane-sim.exe /regserver failed");
        }
    }

    sim::PartProgram program{u"Bench", {}};
    for (int i = 0; i < size; ++i) {
        sim::Command c;
        c.isFeature = true;
        const std::string n = std::to_string(i + 1);
        c.id = u"Merkmal " + std::u16string(n.begin(), n.end());
        c.vectors = {sim::Vector{1, 2, 3}, sim::Vector{4, 5, 6}, sim::Vector{7, 8, 9}};
        program.commands.push_back(std::move(c));
    }
    wchar_t directory[MAX_PATH];
    GetTempPathW(MAX_PATH, directory);
    const std::wstring file = std::wstring(directory) + L"dravosk-com-read-bench-" +
                              std::to_wstring(GetCurrentProcessId()) + L".json";
    sim::savePartProgram(program, std::filesystem::path(file));

    const std::wstring channel =
        L"dravosk-com-read-bench-" + std::to_wstring(GetCurrentProcessId());
    unique_handle server =
        launchServer(L"--no-window --control " + channel + L" --program \"" + file + L"\"");
    bool ready = false;
    for (int attempt = 0; attempt < 500 && !ready; ++attempt) {
        control(channel, "live", ready);
        if (!ready) {
            if (WaitForSingleObject(server.get(), 20) == WAIT_OBJECT_0) {
                fail("korvane-sim.exe ended at start");
            }
        }
    }
    if (!ready) {
        TerminateProcess(server.get(), 1);
        fail("korvane-sim.exe did not answer");
    }

    int result = 0;
    try {
        const Run tool = measure(channel, toolRead);
        const Run naive = measure(channel, naiveRead);
        std::printf("%d commands read from korvane-sim.exe (out of process)\n", size);
        std::printf("%-14s %13s %8s %8s %10s %10s %10s\n", "client", "GetIDsOfNames", "Invoke",
                    "Next", "round trips", "time [s]", "ms/command");
        std::printf("%-14s %13s %8s %8s %10s\n", "", "per command", "", "", "per command");
        print("Dravosk Read", tool, size);
        print("naive client", naive, size);
        std::printf("naive time / Read time: %.2f\n", naive.seconds / tool.seconds);
        if (tool.ids != naive.ids || tool.ids.size() != static_cast<std::size_t>(size)) {
            std::printf("ERROR: the two clients read different lists (%zu and %zu entries)\n",
                        tool.ids.size(), naive.ids.size());
            result = 1;
        }
    } catch (...) {
        stop(server, channel);
        DeleteFileW(file.c_str());
        throw;
    }
    stop(server, channel);
    DeleteFileW(file.c_str());
    return result;
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
