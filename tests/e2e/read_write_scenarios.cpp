// Read and Write against korvane-sim.exe: the list Read makes, marking by hand and with the
// buttons, and what Write leaves in the host, bit for bit.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "demo/form1_remote.h"
#include "demo/vector_check.h"
#include "tests/e2e/scenarios.h"
#include "tests/e2e/test_programs.h"
#include "tests/e2e/window_driving.h"

namespace dravosk::e2e {

using namespace demo;

// Read, marking by hand and with the buttons, two Writes with a check box changed between them.
int readAndWrite(const std::wstring& exe, const std::wstring& sim) {
    const test::SimHost host = scenarioHost(sim, kTestProgram);
    const std::optional<sim::PartProgram> start = host.saved();
    if (!host.ready() || !start) {
        return 1;
    }
    // The file's awkward bits reached the host as written.
    check(bitsOf(start->commands.at(1).vectors[0][1]) == 0x8000'0000'0000'0000ull &&
              bitsOf(start->commands.at(1).vectors[1][0]) == 1,
          L"the host holds negative zero and the smallest subnormal");

    App app(exe);
    if (!app.ready()) {
        return 1;
    }
    const HWND list = app.control(List1);
    checkButtons(app, true, false, false, false, L"start");
    if (!read(app)) {
        return 1;
    }
    checkButtons(app, true, true, true, true, L"after Read");
    const std::vector<std::wstring> lines = listLines(list);
    checkEqual(lines.size(), kTestList.size(), L"lines after Read");
    for (std::size_t i = 0; i < lines.size() && i < kTestList.size(); ++i) {
        checkText(lines[i], kTestList[i], L"line " + std::to_wstring(i));
    }
    checkText(joined(marks(list)), L"{}", L"marks after Read");

    // By hand: a click selects one line alone, Ctrl+click adds one, and a selection set directly.
    SendMessageW(list, LB_SETSEL, TRUE, 6);
    clickLine(list, 1, false, L"{1}", L"a click selects its line alone");
    clickLine(list, 0, true, L"{0,1}", L"Ctrl+click adds a line");
    SendMessageW(list, LB_SETSEL, TRUE, 4);
    checkText(joined(marks(list)), L"{0,1,4}", L"marks by hand");

    // Fläche_Süd, Bohrung_1 (both features of that name) and " " are reversed in all three data
    // sets; the non-feature named Fläche_Süd and bohrung_1 are not.
    if (!write(app)) {
        return 1;
    }
    checkButtons(app, true, false, true, true, L"after Write");
    const sim::PartProgram afterFirst =
        reversedCopy(*start, {u"Fläche_Süd", u"Bohrung_1", u" "}, {true, true, true});
    checkVectors(host.saved(), afterFirst, L"after the first Write");

    // The marking buttons on the empty list do nothing.
    // The clicks are handled in order: once the check box has changed, they have run.
    app.click(cmd_allemarkieren);
    app.click(cmd_alledemarkieren);
    // IST unchecked between the two Writes: the second Write leaves it alone.
    toggle(app, Check2);
    check(app.messageBox() == nullptr, L"the marking buttons on the empty list open nothing");
    checkEqual(SendMessageW(list, LB_GETCOUNT, 0, 0), LRESULT{0}, L"lines after marking nothing");
    checkButtons(app, true, false, true, true, L"after marking the empty list");

    checkEqual(SendMessageW(app.control(Check2), BM_GETCHECK, 0, 0), LRESULT{BST_UNCHECKED},
               L"Check2 after its click");
    if (!read(app)) {
        return 1;
    }
    checkEqual(listLines(list).size(), kTestList.size(), L"lines after the second Read");

    // Every line by hand gives the same marks as cmd_allemarkieren.
    for (int i = 0; i < static_cast<int>(kTestList.size()); ++i) {
        SendMessageW(list, LB_SETSEL, TRUE, i);
    }
    const std::vector<int> byHand = marks(list);
    markAllLines(app, false);
    markAllLines(app, true);
    checkText(joined(marks(list)), joined(byHand),
              L"cmd_allemarkieren marks as every line by hand");
    checkEqual(byHand.size(), kTestList.size(), L"lines marked by hand");

    if (!write(app)) {
        return 1;
    }
    checkButtons(app, true, false, true, true, L"after the second Write");
    // Each listed feature reversed once, however many lines carry its identifier.
    checkVectors(host.saved(),
                 reversedCopy(afterFirst,
                              {u"Fläche_Süd", u"Bohrung_1", u"Größe_Nut", u" ", u"Zylinder_Ø40",
                               u"bohrung_1"},
                              {true, false, true}),
                 L"after the second Write");

    PostMessageW(app.window(), WM_CLOSE, 0, 0);
    checkEqual(app.waitForExit(10000), DWORD{0}, L"exit code after closing");
    return failures() == 0 ? 0 : 1;
}

// A part program without listed features: an empty list, all buttons enabled, and a Write that
// only shows its message.
int emptyProgram(const std::wstring& exe, const std::wstring& sim) {
    const test::SimHost host = scenarioHost(sim, kProgramWithoutFeatures);
    const std::optional<sim::PartProgram> start = host.saved();
    App app(exe);
    if (!host.ready() || !start || !app.ready() || !read(app)) {
        return 1;
    }
    checkEqual(SendMessageW(app.control(List1), LB_GETCOUNT, 0, 0), LRESULT{0}, L"lines");
    checkButtons(app, true, true, true, true, L"after Read");
    app.click(cmd_allemarkieren);
    if (!write(app)) {
        return 1;
    }
    checkButtons(app, true, false, true, true, L"after Write");
    checkVectors(host.saved(), *start, L"after Write");
    return failures() == 0 ? 0 : 1;
}

}  // namespace dravosk::e2e
