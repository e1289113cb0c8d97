// A busy or hanging host: korvane-sim.exe refuses calls for a while or holds one PutVector back
// until it is released, and Dravosk is worked through its window as an operator would. Each
// scenario prints the times it measured.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <optional>
#include <set>
#include <string>
#include <utility>

#include "demo/form1_remote.h"
#include "demo/vector_check.h"
#include "tests/e2e/scenarios.h"
#include "tests/e2e/window_driving.h"
#include "win/text.h"

namespace dravosk::e2e {

using namespace demo;

namespace {

// Four features with identifiers of their own and one other command, so that every line of a
// report names one feature. With all three vectors chosen, Write's fifth PutVector is B2's IST.
constexpr char kBusyProgram[] = R"({"name": "Beschäftigt", "commands": [
  {"isFeature": true, "id": "B1", "theo": [1.0, 2.0, 3.0], "ist": [4.0, 5.0, 6.0], "ziel": [7.0, 8.0, 9.0]},
  {"isFeature": false, "label": "Ausrichtung"},
  {"isFeature": true, "id": "B2", "theo": [1.5, 0.0, -1.5], "ist": [0.25, 0.5, 0.75], "ziel": [-7.0, 8.0, -9.0]},
  {"isFeature": true, "id": "B3", "theo": [0.0, 0.0, 1.0], "ist": [0.0, 1.0, 0.0], "ziel": [1.0, 0.0, 0.0]},
  {"isFeature": true, "id": "B4", "theo": [2.0, 2.0, 2.0], "ist": [3.0, 3.0, 3.0], "ziel": [4.0, 4.0, 4.0]}
]})";
const std::set<std::u16string> kBusyFeatures = {u"B1", u"B2", u"B3", u"B4"};
constexpr std::array<bool, 3> kAllVectors = {true, true, true};

// The wait before the question, in seconds, given to dravosk.exe as DRAVOSK_WAIT_S.
constexpr int kWait = 2;

double secondsSince(ULONGLONG start) {
    return static_cast<double>(GetTickCount64() - start) / 1000.0;
}

std::wstring inSeconds(double value) {
    wchar_t text[32];
    std::swprintf(text, 32, L"%.2f s", value);
    return text;
}

// The question whether to wait on, as a driver finds it: a dialog of the program with a button
// "Warten" and a button "Abbrechen".
struct Question {
    HWND hwnd = nullptr;
    std::wstring caption;
    std::wstring text;
    HWND wait = nullptr;
    HWND cancel = nullptr;
};

Question findQuestion(const App& app) {
    const HWND box = app.messageBox();
    if (box == nullptr) {
        return {};
    }
    Question question;
    question.wait = FindWindowExW(box, nullptr, L"Button", L"Warten");
    question.cancel = FindWindowExW(box, nullptr, L"Button", L"Abbrechen");
    if (question.wait == nullptr || question.cancel == nullptr) {
        return {};
    }
    question.hwnd = box;
    question.caption = win::windowText(box);
    for (HWND child = FindWindowExW(box, nullptr, L"Static", nullptr); child != nullptr;
         child = FindWindowExW(box, child, L"Static", nullptr)) {
        question.text += win::windowText(child);
    }
    return question;
}

// Waits up to `milliseconds` for the question and checks it: captioned "Dravosk", modal, and
// "Korvane antwortet seit N s nicht (<step of B2's IST>: PutVector). Weiter warten oder
// abbrechen?" with N from `fewest` to two more.
Question waitForQuestion(const App& app, DWORD milliseconds, int fewest, const std::wstring& what) {
    Question question;
    waitFor([&] { return (question = findQuestion(app)).hwnd != nullptr; }, milliseconds);
    check(question.hwnd != nullptr, what + L": the question appears");
    if (question.hwnd == nullptr) {
        return question;
    }
    checkText(question.caption, L"Dravosk", what + L": caption");
    check(IsWindowEnabled(app.window()) == FALSE, what + L": the question is modal");
    const std::wstring lead = L"Korvane antwortet seit ";
    const std::wstring tail =
        L"Merkmal \"B2\", Datensatz 3: PutVector). Weiter warten oder abbrechen?";
    const std::wstring& text = question.text;
    const bool shaped = text.compare(0, lead.size(), lead) == 0 && text.size() > tail.size() &&
                        text.compare(text.size() - tail.size(), tail.size(), tail) == 0 &&
                        text.find(L" s nicht (") != std::wstring::npos;
    check(shaped, what + L": the question's text: " + text);
    if (shaped) {
        const int waited = _wtoi(text.c_str() + lead.size());
        check(waited >= fewest && waited <= fewest + 2, what + L": the seconds waited: " + text);
    }
    return question;
}

// The host and Dravosk with every feature listed and marked, the wait set to kWait.
struct Busy {
    explicit Busy(const std::wstring& exe, const std::wstring& sim)
        : host(scenarioHost(sim, kBusyProgram)), start(host.saved()) {
        SetEnvironmentVariableW(L"DRAVOSK_WAIT_S", std::to_wstring(kWait).c_str());
        app.emplace(exe);
        ready = host.ready() && start && app->ready() && read(*app);
        if (ready) {
            markAllLines(*app, true);
        }
    }

    // Sets the host's `fault` (a control channel request) and clicks Write; false when either
    // could not be done.
    bool writeWith(const char* fault) {
        if (!ready || !host.request(fault).ok) {
            return false;
        }
        app->click(cmd_schreiben);
        return true;
    }

    test::SimHost host;
    std::optional<sim::PartProgram> start;
    std::optional<App> app;
    bool ready = false;
};

// Answers the question with Abbrechen and waits for the report that follows it; null (a failed
// check) when none comes.
HWND cancelForReport(const Busy& busy, const Question& question) {
    PostMessageW(question.cancel, BM_CLICK, 0, 0);
    const ULONGLONG cancelled = GetTickCount64();
    HWND report = nullptr;
    waitFor(
        [&] {
            report = busy.app->messageBox();
            return report != nullptr && report != question.hwnd && IsWindow(question.hwnd) == FALSE;
        },
        10000);
    check(report != nullptr, L"the report appears");
    if (report != nullptr) {
        print(L"from Abbrechen to the report: " + inSeconds(secondsSince(cancelled)));
    }
    return report;
}

// Waits for Write's message, confirms it and checks that every marked feature was reversed
// exactly once.
void expectWriteDone(const Busy& busy, DWORD milliseconds, const std::wstring& what) {
    const HWND box = busy.app->waitForMessageBox(milliseconds);
    check(box != nullptr, what + L": Write's message appears");
    if (box == nullptr) {
        return;
    }
    checkText(demo::messageBoxText(box), kWrittenMessage, what + L": Write's message");
    PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    checkVectors(busy.host.saved(), reversedCopy(*busy.start, kBusyFeatures, kAllVectors),
                 what + L": every feature reversed once");
}

}  // namespace

// The host refuses every call for 3 s from just before Write: Write waits it out and completes.
int busyWrite(const std::wstring& exe, const std::wstring& sim) {
    Busy busy(exe, sim);
    if (!busy.ready || !busy.host.request("reject 3000").ok) {
        return 1;
    }
    const ULONGLONG clicked = GetTickCount64();
    busy.app->click(cmd_schreiben);
    const HWND box = busy.app->waitForMessageBox(20000);
    const double took = secondsSince(clicked);
    std::wstring refusals = L"?";
    for (const std::string& line : busy.host.control("calls").lines) {
        if (line.rfind("roundtrip Rejected ", 0) == 0) {
            refusals = wide(line.substr(19));
        }
    }
    print(L"Write against 3 s of refusals took " + inSeconds(took) + L", " + refusals +
          L" calls refused");
    check(took >= 2.9, L"Write waited for the refusals to end");
    check(box == nullptr || findQuestion(*busy.app).hwnd == nullptr, L"refusals bring no question");
    expectWriteDone(busy, 1000, L"after the refusals");
    return failures() == 0 ? 0 : 1;
}

// B2's IST hangs: the question comes after the wait time, "Warten" asks again after another one,
// and when the host answers while the question is open, Write completes on "Warten".
int hangThenWait(const std::wstring& exe, const std::wstring& sim) {
    Busy busy(exe, sim);
    if (!busy.ready || !busy.host.request("hang PutVector 5").ok) {
        return 1;
    }
    ULONGLONG since = GetTickCount64();
    busy.app->click(cmd_schreiben);
    Question question = waitForQuestion(*busy.app, 20000, kWait, L"first question");
    print(L"from Write's click to the question: " + inSeconds(secondsSince(since)));
    check(secondsSince(since) >= kWait - 0.1, L"not asked before the wait time");
    if (question.hwnd == nullptr) {
        return 1;
    }

    PostMessageW(question.wait, BM_CLICK, 0, 0);
    since = GetTickCount64();
    check(waitFor([&] { return !IsWindow(question.hwnd); }, 5000), L"Warten closes the question");
    question = waitForQuestion(*busy.app, 20000, 2 * kWait, L"second question");
    print(L"from Warten to the next question: " + inSeconds(secondsSince(since)));
    check(secondsSince(since) >= kWait - 0.1, L"asked again only after another wait time");
    if (question.hwnd == nullptr) {
        return 1;
    }

    // The host answers while the question is open; Write goes on only on the operator's word.
    if (!busy.host.request("release").ok) {
        return 1;
    }
    Sleep(500);
    check(findQuestion(*busy.app).hwnd == question.hwnd, L"the question stays until answered");
    PostMessageW(question.wait, BM_CLICK, 0, 0);
    since = GetTickCount64();
    check(waitFor([&] { return !IsWindow(question.hwnd); }, 5000), L"Warten closes the question");
    expectWriteDone(busy, 5000, L"after Warten");
    print(L"from Warten to Write's message: " + inSeconds(secondsSince(since)));
    checkEqual(busy.app->waitForExit(0), DWORD{STILL_ACTIVE}, L"Dravosk goes on after Write");
    return failures() == 0 ? 0 : 1;
}

// B2's IST hangs and the operator gives up: one report names what was reversed and the call of
// unknown outcome, Dravosk ends while the host still hangs, and the host agrees with the report.
int hangThenCancel(const std::wstring& exe, const std::wstring& sim) {
    Busy busy(exe, sim);
    if (!busy.writeWith("hang PutVector 5")) {
        return 1;
    }
    const Question question = waitForQuestion(*busy.app, 20000, kWait, L"the question");
    if (question.hwnd == nullptr) {
        return 1;
    }
    const HWND report = cancelForReport(busy, question);
    if (report == nullptr) {
        return 1;
    }
    const std::wstring text = demo::messageBoxText(report);
    checkText(win::windowText(report), L"Dravosk", L"report caption");
    const std::wstring expected[] = {
        L"Fehler 0x80010002 (-2147418110)\n",
        L"Merkmal \"B2\", Datensatz 3: PutVector\n",
        L"bleiben so im Korvane Programm:\n"
        L"    Merkmal \"B1\": Theo, IST, Ziel umgekehrt\n"
        L"    Merkmal \"B2\": Theo umgekehrt\n\n"
        L"    Merkmal \"B2\", Datensatz 3: ungewiss, ob umgekehrt – bitte in Korvane prüfen\n",
    };
    for (const std::wstring& part : expected) {
        check(text.find(part) != std::wstring::npos, L"the report says \"" + part + L"\": " + text);
    }

    PostMessageW(GetDlgItem(report, IDOK), BM_CLICK, 0, 0);
    // The host still holds the call: Dravosk does not wait for it.
    checkEqual(busy.app->waitForExit(10000), DWORD{1}, L"exit code after the report");
    std::optional<sim::PartProgram> after;
    if (busy.host.request("release").ok) {
        after = busy.host.saved();
    }
    // B1 and B2's Theo as reported; B2's IST either way, as reported; nothing else touched.
    if (after && after->commands.size() == busy.start->commands.size()) {
        sim::PartProgram expectedState = reversedCopy(*busy.start, {u"B1"}, kAllVectors);
        expectedState = reversedCopy(std::move(expectedState), {u"B2"}, {true, false, false});
        const sim::Vector& ist = after->commands.at(2).vectors.at(1);
        const sim::Vector& original = busy.start->commands.at(2).vectors.at(1);
        check(ist == original || ist == sim::Vector{-original[0], -original[1], -original[2]},
              L"B2's IST either reversed or untouched");
        expectedState.commands.at(2).vectors.at(1) = ist;
        checkVectors(after, expectedState, L"the host after the report");
    } else {
        check(false, L"the host's part program after the report");
    }
    return failures() == 0 ? 0 : 1;
}

// A click on List1 while Write waits out the host's refusals changes nothing Write does: the
// marks it reverses are those of the moment Write was clicked.
int clickDuringRefusals(const std::wstring& exe, const std::wstring& sim) {
    Busy busy(exe, sim);
    if (!busy.writeWith("reject 3000")) {
        return 1;
    }
    Sleep(500);
    // A plain click on the first line would leave it marked alone.
    const HWND list = busy.app->control(List1);
    const auto height = static_cast<int>(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0));
    const LPARAM at = MAKELPARAM(20, height / 2);
    PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(list, WM_LBUTTONUP, 0, at);
    Sleep(300);
    checkText(joined(marks(list)), L"{0,1,2,3}", L"the click waits while Write runs");
    expectWriteDone(busy, 20000, L"after a click during the refusals");
    return failures() == 0 ? 0 : 1;
}

// Another program clicks "IST umkehren" and unmarks B1 while Write waits out the host's
// refusals, as automation tools and assistive technology do, with sent messages, which every
// wait handles: Write goes by the boxes and marks of its click; the box shows the click.
int controlsChangedDuringRefusals(const std::wstring& exe, const std::wstring& sim) {
    Busy busy(exe, sim);
    if (!busy.writeWith("reject 3000")) {
        return 1;
    }
    Sleep(500);
    const HWND ist = busy.app->control(Check2);
    DWORD_PTR result = 0;
    check(SendMessageTimeoutW(ist, BM_CLICK, 0, 0, SMTO_NORMAL, 5000, &result) != 0,
          L"the click on \"IST umkehren\" is handled while Write waits");
    check(SendMessageTimeoutW(busy.app->control(List1), LB_SETSEL, FALSE, 0, SMTO_NORMAL, 5000,
                              &result) != 0,
          L"B1's line is unmarked while Write waits");
    checkEqual(SendMessageW(ist, BM_GETCHECK, 0, 0), LRESULT{BST_UNCHECKED},
               L"the box shows the click");
    expectWriteDone(busy, 20000, L"after the boxes and marks changed during the refusals");
    return failures() == 0 ? 0 : 1;
}

// Enter typed while a call hangs does not answer the question that comes afterwards: the
// question stays until a button is clicked.
int typedAheadEnter(const std::wstring& exe, const std::wstring& sim) {
    Busy busy(exe, sim);
    if (!busy.ready || !activate(*busy.app) || !busy.writeWith("hang PutVector 5")) {
        return 1;
    }
    Sleep(kWait * 1000 / 2);
    press(VK_RETURN);
    press(VK_SPACE);
    const Question question = waitForQuestion(*busy.app, 20000, kWait, L"the question");
    if (question.hwnd == nullptr) {
        return 1;
    }
    Sleep(1000);
    check(IsWindow(question.hwnd) != FALSE && findQuestion(*busy.app).hwnd == question.hwnd,
          L"the keys typed before the question do not answer it");
    if (!busy.host.request("release").ok) {
        return 1;
    }
    PostMessageW(question.wait, BM_CLICK, 0, 0);
    check(waitFor([&] { return !IsWindow(question.hwnd); }, 5000), L"Warten closes the question");
    expectWriteDone(busy, 5000, L"after Warten");
    return failures() == 0 ? 0 : 1;
}

// The host hangs while Dravosk gives back one of its objects: a release is a call like any other,
// so the question comes, and Abbrechen gives the report and ends Dravosk.
int hangInRelease(const std::wstring& exe, const std::wstring& sim) {
    Busy busy(exe, sim);
    if (!busy.writeWith("hang Release 1")) {
        return 1;
    }
    Question question;
    waitFor([&] { return (question = findQuestion(*busy.app)).hwnd != nullptr; }, 20000);
    check(question.hwnd != nullptr, L"the question appears");
    if (question.hwnd == nullptr) {
        return 1;
    }
    check(question.text.find(L": Release). Weiter warten oder abbrechen?") != std::wstring::npos,
          L"the question names the release: " + question.text);
    const HWND report = cancelForReport(busy, question);
    if (report == nullptr) {
        return 1;
    }
    const std::wstring text = demo::messageBoxText(report);
    check(text.find(L"Fehler 0x80010002 (-2147418110)\n") != std::wstring::npos &&
              text.find(L"Release\n") != std::wstring::npos,
          L"the report names the release given up on: " + text);
    PostMessageW(GetDlgItem(report, IDOK), BM_CLICK, 0, 0);
    checkEqual(busy.app->waitForExit(10000), DWORD{1}, L"exit code after the report");
    busy.host.request("release");
    return failures() == 0 ? 0 : 1;
}

}  // namespace dravosk::e2e
