// End-to-end driver: starts dravosk.exe and works its window only as a user could, through window
// messages and keyboard input, then checks what the window shows.
//
// Usage: e2e_driver SCENARIO PATH\TO\dravosk.exe PATH\TO\korvane-sim.exe
// The scenarios that need a host register korvane-sim.exe, start it with a part program of their
// own and stop it again. The window is worked through demo/form1_remote.h, as the demo player
// works it, and window_driving.h; the scenarios are in scenarios.h, by theme.
// Exit codes: 0 passed, 1 failed, 2 usage, 77 skipped (the scenario's precondition is not met).
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cwchar>
#include <string>

#include "demo/form1_remote.h"
#include "tests/e2e/scenarios.h"

namespace {

using namespace dravosk::e2e;
using dravosk::demo::print;

struct Scenario {
    const wchar_t* name;
    int (*run)(const std::wstring& exe, const std::wstring& sim);
};
constexpr Scenario kScenarios[] = {
    {L"resources", [](const std::wstring& exe, const std::wstring&) { return resources(exe); }},
    {L"start_state", [](const std::wstring& exe, const std::wstring&) { return startState(exe); }},
    {L"layout", [](const std::wstring& exe, const std::wstring&) { return layout(exe); }},
    {L"tab_order", [](const std::wstring& exe, const std::wstring&) { return tabOrder(exe); }},
    {L"keys", [](const std::wstring& exe, const std::wstring&) { return keys(exe); }},
    {L"close", [](const std::wstring& exe, const std::wstring&) { return closing(exe); }},
    {L"read_without_host", readWithoutHost},
    {L"read_and_write", readAndWrite},
    {L"empty_program", emptyProgram},
    {L"no_program", noProgram},
    {L"write_failure", writeFailure},
    {L"bad_wait_variable",
     [](const std::wstring& exe, const std::wstring&) { return badWaitVariable(exe); }},
    {L"busy_write", busyWrite},
    {L"hang_then_wait", hangThenWait},
    {L"hang_then_cancel", hangThenCancel},
    {L"click_during_refusals", clickDuringRefusals},
    {L"controls_during_refusals", controlsChangedDuringRefusals},
    {L"typed_ahead_enter", typedAheadEnter},
    {L"hang_in_release", hangInRelease},
};

// A Unix path (as the build passes it) becomes the Windows path Wine maps it to.
std::wstring windowsPath(std::wstring path) {
    if (!path.empty() && path[0] == L'/') {
        for (wchar_t& c : path) {
            if (c == L'/') {
                c = L'\\';
            }
        }
        path = L"Z:" + path;
    }
    return path;
}

// "32-bit" or "64-bit": which pairing of programs a scenario runs is part of its result.
std::wstring bitness(const std::wstring& path) {
    DWORD type = 0;
    if (!GetBinaryTypeW(path.c_str(), &type)) {
        return L"not a program";
    }
    return type == SCS_64BIT_BINARY ? L"64-bit" : type == SCS_32BIT_BINARY ? L"32-bit" : L"other";
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    // Plain \n on a pipe, as the tools that read this output expect.
    _setmode(_fileno(stdout), _O_BINARY);
    if (argc == 4) {
        for (const Scenario& scenario : kScenarios) {
            if (std::wcscmp(argv[1], scenario.name) == 0) {
                const std::wstring exe = windowsPath(argv[2]);
                const std::wstring sim = windowsPath(argv[3]);
                print(L"dravosk.exe " + bitness(exe) + L", korvane-sim.exe " + bitness(sim));
                const int result = scenario.run(exe, sim);
                print(std::wstring(scenario.name) + (result == 0 ? L": passed" : L": failed"));
                return result;
            }
        }
    }
    print(L"usage: e2e_driver SCENARIO PATH\\TO\\dravosk.exe PATH\\TO\\korvane-sim.exe");
    for (const Scenario& scenario : kScenarios) {
        print(std::wstring(L"  ") + scenario.name);
    }
    return 2;
}
