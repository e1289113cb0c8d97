// Failures: Read without a registered host, a host without a part program, a host that refuses a
// call in the middle of Write. Each ends in the one error report and the program's end.
#include <windows.h>
// after windows.h
#include <objbase.h>

#include <optional>
#include <set>
#include <string>

#include "demo/form1_remote.h"
#include "demo/vector_check.h"
#include "sim/client/process.h"
#include "tests/e2e/scenarios.h"
#include "tests/e2e/test_programs.h"
#include "tests/e2e/window_driving.h"
#include "win/com.h"
#include "win/text.h"

namespace dravosk::e2e {

using namespace demo;

namespace {

// Waits for the error report, checks its number and text, confirms it and the program's end.
std::wstring expectReport(const App& app, const std::wstring& number,
                          const std::wstring& description) {
    const Box box = waitForBox(app);
    if (box.hwnd == nullptr) {
        return {};
    }
    checkText(box.caption, L"Dravosk", L"report caption");
    check(box.text.find(L"Fehler " + number + L" (") != std::wstring::npos,
          L"the report gives the number " + number + L": " + box.text);
    check(box.text.find(description) != std::wstring::npos,
          L"the report gives the description \"" + description + L"\": " + box.text);
    check(IsWindowEnabled(app.window()) == FALSE, L"the report is modal");
    confirm(box);
    const DWORD code = app.waitForExit(10000);
    check(code != STILL_ACTIVE && code != 0,
          L"the program ends with a non-zero code after the report");
    return box.text;
}

}  // namespace

// Read when no host is registered: the one error path reports the failure and ends the program.
int readWithoutHost(const std::wstring& exe, const std::wstring& sim) {
    // A scenario that was stopped half-way may have left the class registered.
    sim::client::runToEnd(sim, L"/unregserver");
    bool registered = false;
    {
        const win::com_apartment apartment(COINIT_APARTMENTTHREADED);
        CLSID clsid;
        registered = SUCCEEDED(CLSIDFromProgID(L"KORVAN.Application", &clsid));
    }
    if (registered) {
        print(L"SKIPPED: KORVAN.Application is registered in this prefix");
        return kSkipped;
    }
    App app(exe);
    if (!app.ready()) {
        return 1;
    }
    app.click(cmd_lesen);
    const HWND box = app.waitForMessageBox(10000);
    check(box != nullptr, L"an error report appears");
    if (box == nullptr) {
        return 1;
    }
    checkText(windowText(box), L"Dravosk", L"report caption");
    const std::wstring text = demo::messageBoxText(box);
    check(text.find(L"Fehler 0x800401F3 (-2147221005)") != std::wstring::npos,
          L"report gives the number in hex and decimal: " + text);
    check(text.find(L"CreateObject(\"KORVAN.Application\")") != std::wstring::npos,
          L"report names the step: " + text);
    check(IsWindowEnabled(app.window()) == FALSE, L"the report is modal");
    checkEqual(SendMessageW(app.control(List1), LB_GETCOUNT, 0, 0), LRESULT{0}, L"list untouched");

    PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    const DWORD code = app.waitForExit(5000);
    check(code != STILL_ACTIVE, L"the program ends after the report");
    checkEqual(code, DWORD{1}, L"exit code after an error");
    return failures() == 0 ? 0 : 1;
}

// The host has no open part program: Read fails, the list it had stays until the end.
int noProgram(const std::wstring& exe, const std::wstring& sim) {
    const test::SimHost host = scenarioHost(sim, kTestProgram);
    App app(exe);
    if (!host.ready() || !app.ready() || !read(app) || !host.request("no-program").ok) {
        return 1;
    }
    app.click(cmd_lesen);
    const HWND box = app.waitForMessageBox(20000);
    checkEqual(listLines(app.control(List1)).size(), kTestList.size(),
               L"the list stays while the report is open");
    check(box != nullptr, L"the report appears");
    expectReport(app, L"0xA0040003", L"kein Teileprogramm geöffnet");
    return failures() == 0 ? 0 : 1;
}

// The host fails in the middle of Write: the report names what stays reversed, and the host is
// exactly so.
int writeFailure(const std::wstring& exe, const std::wstring& sim) {
    const test::SimHost host = scenarioHost(sim, kTestProgram);
    const std::optional<sim::PartProgram> start = host.saved();
    App app(exe);
    if (!host.ready() || !start || !app.ready() || !read(app)) {
        return 1;
    }
    markAllLines(app, true);
    toggle(app, Check2);
    // With IST unchecked Fläche_Süd takes two PutVector calls; the third, Bohrung_1's first,
    // fails.
    if (!host.request("fail PutVector 3 0x80041234 Achse gesperrt: Änderung abgelehnt").ok) {
        return 1;
    }
    app.click(cmd_schreiben);
    const std::wstring report =
        expectReport(app, L"0x80041234", L"Achse gesperrt: Änderung abgelehnt");
    check(report.find(L"Bohrung_1") != std::wstring::npos, L"the report names the failing step");

    // The features the report names as staying reversed, one line each after the heading:
    //     Merkmal "name": Theo, Ziel umgekehrt
    std::set<std::u16string> named;
    const std::size_t heading = report.find(L"bleiben so im Korvane Programm:\n");
    check(heading != std::wstring::npos, L"the report lists the reversed features: " + report);
    if (heading != std::wstring::npos) {
        const std::wstring_view lead = L"    Merkmal \"";
        std::size_t at = report.find(L'\n', heading) + 1;
        while (at < report.size() && report.compare(at, lead.size(), lead) == 0) {
            const std::size_t end = report.find(L"\": ", at + lead.size());
            const std::size_t next = report.find(L'\n', at);
            if (end == std::wstring::npos || next == std::wstring::npos) {
                break;
            }
            const std::wstring name = report.substr(at + lead.size(), end - at - lead.size());
            named.insert(std::u16string(name.begin(), name.end()));
            check(report.compare(end, next - end, L"\": Theo, Ziel umgekehrt") == 0,
                  L"the report names the data sets written: " + report);
            at = next + 1;
        }
    }
    check(named == std::set<std::u16string>{u"Fläche_Süd"},
          L"the report names Fläche_Süd alone: " + report);
    checkVectors(host.saved(), reversedCopy(*start, named, {true, false, true}),
                 L"the host after the failed Write");
    return failures() == 0 ? 0 : 1;
}

// DRAVOSK_WAIT_S set to what is not a whole number of seconds from 1 to 3600: the value is
// reported before the window opens, and the program ends.
int badWaitVariable(const std::wstring& exe) {
    SetEnvironmentVariableW(L"DRAVOSK_WAIT_S", L"zehn");
    const win::unique_handle process = sim::client::startProgram(exe, L"");
    SetEnvironmentVariableW(L"DRAVOSK_WAIT_S", nullptr);
    check(static_cast<bool>(process), L"dravosk.exe starts");
    if (!process) {
        return 1;
    }
    const DWORD id = GetProcessId(process.get());
    HWND box = nullptr;
    waitFor(
        [&] {
            box = topLevelWindow(
                id, [](HWND hwnd) { return IsWindowVisible(hwnd) && demo::isMessageBox(hwnd); });
            return box != nullptr;
        },
        10000);
    check(box != nullptr, L"the report appears");
    if (box == nullptr) {
        TerminateProcess(process.get(), 99);
        return 1;
    }
    const HWND form = topLevelWindow(
        id, [](HWND hwnd) { return IsWindowVisible(hwnd) && windowText(hwnd) == kCaption; });
    check(form == nullptr, L"no window before the report");
    checkText(windowText(box), L"Dravosk", L"report caption");
    const std::wstring text = demo::messageBoxText(box);
    for (const std::wstring part :
         {L"Fehler 0x80070057 (-2147024809)", L"DRAVOSK_WAIT_S", L"nicht \"zehn\""}) {
        check(text.find(part) != std::wstring::npos, L"the report says " + part + L": " + text);
    }
    PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    const DWORD ended = WaitForSingleObject(process.get(), 10000);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process.get(), &code);
    check(ended == WAIT_OBJECT_0, L"the program ends after the report");
    checkEqual(code, DWORD{1}, L"exit code after the report");
    return failures() == 0 ? 0 : 1;
}

}  // namespace dravosk::e2e
