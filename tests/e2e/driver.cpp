// End-to-end driver: starts dravosk.exe and works its window only as a user could, through window
// messages and keyboard input, then checks what the window shows.
//
// Usage: e2e_driver SCENARIO PATH\TO\dravosk.exe PATH\TO\korvane-sim.exe
// The scenarios that need a host register korvane-sim.exe, start it with a part program of their
// own and stop it again. The window is worked through demo/form1_remote.h, as the demo player
// works it.
// Exit codes: 0 passed, 1 failed, 2 usage, 77 skipped (the scenario's precondition is not met).
#include <windows.h>
// after windows.h
#include <objbase.h>

#include <fcntl.h>
#include <io.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "demo/form1_remote.h"
#include "demo/vector_check.h"
#include "sim/client/process.h"
#include "sim/client/server.h"
#include "sim/client/temp_file.h"
#include "win/window_text.h"

namespace {

namespace demo = dravosk::demo;
namespace sim = dravosk::sim;
namespace win = dravosk::win;
using namespace dravosk::demo;

constexpr int kSkipped = 77;

// The design table in pixels at 96 DPI (15 twips per pixel), in tab order (as Control).
struct Expected {
    const wchar_t* className;
    const wchar_t* text;
    int left, top, width, height;
};
constexpr Expected kExpected[] = {
    {L"Button", L"Elemente aus offenem Korvane Programm einlesen", 32, 16, 177, 49},
    {L"Button", L"Vektoren der Markierten Elemente umgekehrt in das Programm schreiben", 32, 72,
     177, 57},
    {L"ListBox", L"", 296, 8, 217, 290},
    {L"Button", L"Theo umkehren", 40, 152, 137, 17},
    {L"Button", L"IST umkehren", 40, 176, 137, 17},
    {L"Button", L"Ziel umkehren", 40, 200, 137, 17},
    {L"Static", L"Merkmalvektoren umkehren", 296, 360, 153, 25},
    {L"Button", L"Alle Merkmale selektieren", 296, 304, 97, 33},
    {L"Button", L"Alle Merkmale deselektieren", 408, 304, 97, 33},
    {L"Static", L"", 24, 248, 214, 136},
};
static_assert(std::size(kExpected) == kControlCount);

// Keys as the keyboard gives them, to whatever window has the focus.
void press(WORD key, bool shift = false) {
    std::vector<INPUT> inputs;
    const auto add = [&](WORD vk, DWORD flags) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = vk;
        input.ki.dwFlags = flags;
        inputs.push_back(input);
    };
    if (shift) {
        add(VK_SHIFT, 0);
    }
    add(key, 0);
    add(key, KEYEVENTF_KEYUP);
    if (shift) {
        add(VK_SHIFT, KEYEVENTF_KEYUP);
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

// Gives the window the keyboard, as a click on its title bar would.
bool activate(const App& app) {
    SetForegroundWindow(app.window());
    return waitFor([&] { return GetForegroundWindow() == app.window(); }, 3000);
}

// --- Scenarios -----------------------------------------------------------------------------

int startState(const std::wstring& exe) {
    App app(exe);
    if (!app.ready()) {
        return 1;
    }
    check(GetMenu(app.window()) == nullptr, L"no menu");

    const bool enabled[kControlCount] = {true, false, true,  true,  true,
                                         true, true,  false, false, true};
    for (std::size_t i = 0; i < kControlCount; ++i) {
        checkEqual(IsWindowEnabled(app.control(Control(i))) != FALSE, enabled[i],
                   std::wstring(controlName(Control(i))) + L" enabled");
    }
    for (Control box : {Check1, Check2, Check3}) {
        checkEqual(SendMessageW(app.control(box), BM_GETCHECK, 0, 0), LRESULT{BST_CHECKED},
                   std::wstring(controlName(box)) + L" checked");
        checkEqual(GetWindowLongW(app.control(box), GWL_STYLE) & BS_TYPEMASK, LONG{BS_AUTOCHECKBOX},
                   std::wstring(controlName(box)) + L" style");
    }
    checkEqual(SendMessageW(app.control(List1), LB_GETCOUNT, 0, 0), LRESULT{0}, L"list entries");
    check(app.focus() == app.control(cmd_lesen), L"cmd_lesen has the focus");

    // Plain push buttons whose captions wrap: no default button anywhere.
    for (Control button : {cmd_lesen, cmd_schreiben, cmd_allemarkieren, cmd_alledemarkieren}) {
        const LONG style = GetWindowLongW(app.control(button), GWL_STYLE);
        checkEqual(style & BS_TYPEMASK, LONG{BS_PUSHBUTTON},
                   std::wstring(controlName(button)) + L" is a plain push button");
        check((style & BS_MULTILINE) != 0, std::wstring(controlName(button)) + L" wraps");
    }
    const LONG listStyle = GetWindowLongW(app.control(List1), GWL_STYLE);
    check((listStyle & LBS_EXTENDEDSEL) != 0, L"List1 has extended selection");
    check((listStyle & LBS_SORT) == 0, L"List1 keeps the host's order");
    return failures() == 0 ? 0 : 1;
}

int layout(const std::wstring& exe) {
    App app(exe);
    if (app.window() == nullptr) {
        return 1;
    }
    checkEqual(GetDpiForWindow(app.window()), UINT{96}, L"DPI of the test display");
    checkText(windowText(app.window()), kCaption, L"caption");
    RECT client;
    GetClientRect(app.window(), &client);
    checkEqual(client.right, LONG{524}, L"client width");
    checkEqual(client.bottom, LONG{392}, L"client height");

    // The children in z-order are the tab order.
    checkEqual(app.children().size(), std::size_t{kControlCount}, L"number of controls");
    for (std::size_t i = 0; i < app.children().size() && i < kControlCount; ++i) {
        const HWND child = app.children()[i];
        const Expected& e = kExpected[i];
        const std::wstring name = controlName(Control(i));
        check(
            CompareStringOrdinal(className(child).c_str(), -1, e.className, -1, TRUE) == CSTR_EQUAL,
            name + L" is a " + e.className + L" (is " + className(child) + L")");
        checkText(windowText(child), e.text, name + L" caption");
        RECT rect;
        GetWindowRect(child, &rect);
        MapWindowPoints(nullptr, app.window(), reinterpret_cast<POINT*>(&rect), 2);
        checkEqual(rect.left, LONG(e.left), name + L" left");
        checkEqual(rect.top, LONG(e.top), name + L" top");
        checkEqual(rect.right - rect.left, LONG(e.width), name + L" width");
        checkEqual(rect.bottom - rect.top, LONG(e.height), name + L" height");
        check(IsWindowVisible(child) != FALSE, name + L" visible");
    }
    return failures() == 0 ? 0 : 1;
}

int tabOrder(const std::wstring& exe) {
    App app(exe);
    if (!app.ready()) {
        return 1;
    }
    check(activate(app), L"the window takes the keyboard");
    const auto focusIs = [&](Control expected, const wchar_t* step) {
        const bool reached = waitFor([&] { return app.focus() == app.control(expected); }, 2000);
        check(reached, std::wstring(step) + L": focus on " + controlName(expected));
    };
    // Only the enabled tab stops take part: the disabled buttons and the statics are skipped.
    focusIs(cmd_lesen, L"start");
    const Control forward[] = {List1, Check1, Check2, Check3, cmd_lesen};
    for (Control next : forward) {
        press(VK_TAB);
        focusIs(next, L"Tab");
    }
    const Control backward[] = {Check3, Check2, Check1, List1, cmd_lesen};
    for (Control next : backward) {
        press(VK_TAB, true);
        focusIs(next, L"Shift+Tab");
    }
    return failures() == 0 ? 0 : 1;
}

int keys(const std::wstring& exe) {
    App app(exe);
    if (!app.ready()) {
        return 1;
    }
    check(activate(app), L"the window takes the keyboard");
    press(VK_TAB);
    press(VK_TAB);
    check(waitFor([&] { return app.focus() == app.control(Check1); }, 2000), L"focus on Check1");
    // No default and no cancel button: Enter and Esc do nothing.
    press(VK_RETURN);
    press(VK_ESCAPE);
    Sleep(300);
    check(app.messageBox() == nullptr, L"Enter and Esc open nothing");
    check(IsWindow(app.window()) != FALSE, L"Enter and Esc leave the window open");
    checkEqual(SendMessageW(app.control(Check1), BM_GETCHECK, 0, 0), LRESULT{BST_CHECKED},
               L"Check1 after Enter and Esc");
    // The user toggles a check box with the space bar.
    press(VK_SPACE);
    check(waitFor(
              [&] { return SendMessageW(app.control(Check1), BM_GETCHECK, 0, 0) == BST_UNCHECKED; },
              2000),
          L"Space unchecks Check1");
    return failures() == 0 ? 0 : 1;
}

int closing(const std::wstring& exe) {
    App app(exe);
    if (app.window() == nullptr) {
        return 1;
    }
    PostMessageW(app.window(), WM_CLOSE, 0, 0);
    checkEqual(app.waitForExit(5000), DWORD{0}, L"exit code after closing");
    return failures() == 0 ? 0 : 1;
}

// Read when no host is registered: the one error path reports the failure and ends the program.
int readWithoutHost(const std::wstring& exe, const std::wstring& sim) {
    // A scenario that was stopped half-way may have left the class registered.
    sim::client::runToEnd(sim, L"/unregserver");
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    CLSID clsid;
    const bool registered = SUCCEEDED(CLSIDFromProgID(L"KORVAN.Application", &clsid));
    CoUninitialize();
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
    const std::wstring text = win::messageBoxText(box);
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

// The program file carries the icon, the picture, the manifest and the German version record.
int resources(const std::wstring& exe) {
    const HMODULE file = LoadLibraryExW(exe.c_str(), nullptr,
                                        LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    check(file != nullptr, L"the program file opens as resources");
    if (file == nullptr) {
        return 1;
    }
    check(FindResourceW(file, MAKEINTRESOURCEW(1), RT_GROUP_ICON) != nullptr, L"icon group 1");
    const HICON icon =
        static_cast<HICON>(LoadImageW(file, MAKEINTRESOURCEW(1), IMAGE_ICON, 32, 32, 0));
    check(icon != nullptr, L"a 32 x 32 icon");
    if (icon != nullptr) {
        DestroyIcon(icon);
    }
    if (const HRSRC bitmap = FindResourceW(file, MAKEINTRESOURCEW(101), RT_BITMAP)) {
        const auto* header =
            static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(file, bitmap)));
        checkEqual(header->biWidth, LONG{262}, L"picture width");
        checkEqual(header->biHeight, LONG{144}, L"picture height");
        checkEqual(header->biBitCount, WORD{24}, L"picture bits per pixel");
    } else {
        check(false, L"picture resource 101");
    }
    if (const HRSRC manifest = FindResourceW(file, MAKEINTRESOURCEW(1), RT_MANIFEST)) {
        const std::string text(static_cast<const char*>(LockResource(LoadResource(file, manifest))),
                               SizeofResource(file, manifest));
        check(text.find("PerMonitorV2") != std::string::npos, L"manifest: PerMonitorV2");
        check(text.find("Microsoft.Windows.Common-Controls") != std::string::npos,
              L"manifest: common controls");
        check(text.find("asInvoker") != std::string::npos, L"manifest: asInvoker");
    } else {
        check(false, L"manifest resource 1");
    }
    FreeLibrary(file);

    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(exe.c_str(), &ignored);
    std::vector<char> data(size);
    check(size != 0 && GetFileVersionInfoW(exe.c_str(), 0, size, data.data()), L"version record");
    if (size == 0) {
        return 1;
    }
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length)) {
        checkEqual(fixed->dwFileVersionMS, DWORD{0x00010000}, L"file version 1.0");
        checkEqual(fixed->dwFileVersionLS, DWORD{0}, L"file version .0.0");
        checkEqual(fixed->dwProductVersionMS, DWORD{0x00010000}, L"product version 1.0");
    } else {
        check(false, L"fixed version");
    }
    DWORD* translation = nullptr;
    if (VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation",
                       reinterpret_cast<void**>(&translation), &length)) {
        checkEqual(*translation, DWORD{0x04B00407}, L"language German, Unicode");
    } else {
        check(false, L"translation");
    }
    const auto value = [&](const wchar_t* name) {
        wchar_t* text = nullptr;
        const std::wstring path = std::wstring(L"\\StringFileInfo\\040704B0\\") + name;
        if (!VerQueryValueW(data.data(), path.c_str(), reinterpret_cast<void**>(&text), &length)) {
            return std::wstring(L"(none)");
        }
        return std::wstring(text);
    };
    checkText(value(L"FileVersion"), L"1.00", L"FileVersion");
    checkText(value(L"ProductVersion"), L"1.00", L"ProductVersion");
    checkText(value(L"ProductName"), L"Dravosk", L"ProductName");
    checkText(value(L"InternalName"), L"Dravosk", L"InternalName");
    checkText(value(L"FileDescription"), L"Dravosk für Korvane", L"FileDescription");
    return failures() == 0 ? 0 : 1;
}

// --- Scenarios against the stand-in host korvane-sim.exe ------------------------------------

// A part program with everything the list must get right: umlauts and a non-Latin letter,
// the same identifier twice, one that differs only in case, a blank identifier (listed), an
// empty one (never listed), and a command that is no feature but carries a listed identifier.
// Components with awkward bits: signed zeros, a subnormal, the largest and tiny magnitudes.
constexpr char kTestProgram[] = R"({"name": "Prüfteil E2E", "commands": [
  {"isFeature": false, "label": "Ausrichtung"},
  {"isFeature": true, "id": "Fläche_Süd", "theo": [0.1, -0.0, 1.7976931348623157e308],
   "ist": [5e-324, -2.5, 0.0], "ziel": [-1.0, 0.7071067811865476, -1e-300]},
  {"isFeature": true, "id": "Bohrung_1", "theo": [1.0, 2.0, 3.0], "ist": [-0.0, -0.0, -0.0],
   "ziel": [4.0, 5.0, 6.0]},
  {"isFeature": true, "id": "Größe_Nut", "theo": [0.25, -0.5, 0.75], "ist": [1e-10, 2e-10, 3e-10],
   "ziel": [-7.0, -8.0, -9.0]},
  {"isFeature": true, "id": "Bohrung_1", "theo": [-1.5, 0.0, 1.5], "ist": [10.0, 20.0, 30.0],
   "ziel": [0.0, -0.0, 0.0]},
  {"isFeature": false, "id": "Fläche_Süd", "label": "Kommentar", "theo": [9.0, 9.0, 9.0],
   "ist": [9.0, 9.0, 9.0], "ziel": [9.0, 9.0, 9.0]},
  {"isFeature": true, "id": " ", "theo": [0.0, 0.0, 1.0], "ist": [0.0, 1.0, 0.0],
   "ziel": [1.0, 0.0, 0.0]},
  {"isFeature": true, "id": "", "theo": [3.0, 3.0, 3.0], "ist": [3.0, 3.0, 3.0],
   "ziel": [3.0, 3.0, 3.0]},
  {"isFeature": true, "id": "Zylinder_Ø40", "theo": [1.0, 0.0, 0.0], "ist": [0.9999993, 0.0011, -0.0003],
   "ziel": [1.0, 0.0, 0.0]},
  {"isFeature": true, "id": "bohrung_1", "theo": [2.0, 2.0, 2.0], "ist": [2.0, 2.0, 2.0],
   "ziel": [2.0, 2.0, 2.0]}
]})";
const std::vector<std::wstring> kTestList = {
    L"Fläche_Süd", L"Bohrung_1", L"Größe_Nut", L"Bohrung_1", L" ", L"Zylinder_Ø40", L"bohrung_1"};

// No feature that Read lists: only other commands and a feature without identifier.
constexpr char kProgramWithoutFeatures[] = R"({"name": "Leer", "commands": [
  {"isFeature": false, "label": "Ausrichtung"},
  {"isFeature": true, "id": "", "theo": [1.0, 2.0, 3.0], "ist": [4.0, 5.0, 6.0], "ziel": [7.0, 8.0, 9.0]},
  {"isFeature": null, "id": "Sicherheitsebene", "label": "Sicherheitsebene"}
]})";

// The selected lines, as indexes.
std::vector<int> marks(HWND list) {
    std::vector<int> selected;
    const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        if (SendMessageW(list, LB_GETSEL, static_cast<WPARAM>(i), 0) > 0) {
            selected.push_back(static_cast<int>(i));
        }
    }
    return selected;
}

std::wstring joined(const std::vector<int>& values) {
    std::wstring text;
    for (int value : values) {
        text += (text.empty() ? L"" : L",") + std::to_wstring(value);
    }
    return L"{" + text + L"}";
}

// A click on a line of the list box, with Ctrl held when `control`; waits for the marks `expected`.
void clickLine(HWND list, int index, bool control, const std::wstring& expected,
               const std::wstring& what) {
    const auto height = static_cast<int>(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0));
    const auto top = static_cast<int>(SendMessageW(list, LB_GETTOPINDEX, 0, 0));
    const LPARAM at = MAKELPARAM(20, (index - top) * height + height / 2);
    const WPARAM keys = control ? MK_CONTROL : 0;
    PostMessageW(list, WM_LBUTTONDOWN, keys | MK_LBUTTON, at);
    PostMessageW(list, WM_LBUTTONUP, keys, at);
    waitFor([&] { return joined(marks(list)) == expected; }, 10000);
    checkText(joined(marks(list)), expected, what);
}

// Toggles a check box by a click.
void toggle(const App& app, Control box) {
    const LRESULT before = SendMessageW(app.control(box), BM_GETCHECK, 0, 0);
    clickUntil(
        app, box, [&] { return SendMessageW(app.control(box), BM_GETCHECK, 0, 0) != before; },
        L"the click toggles it");
}

void checkButtons(const App& app, bool lesen, bool schreiben, bool alle, bool keine,
                  const std::wstring& state) {
    const std::pair<Control, bool> expected[] = {{cmd_lesen, lesen},
                                                 {cmd_schreiben, schreiben},
                                                 {cmd_allemarkieren, alle},
                                                 {cmd_alledemarkieren, keine}};
    for (const auto& [button, enabled] : expected) {
        checkEqual(IsWindowEnabled(app.control(button)) != FALSE, enabled,
                   state + L": " + controlName(button) + L" enabled");
    }
}

// The server with `program` and the registration of its class, for one scenario.
struct HostSetup {
    HostSetup(const std::wstring& sim, const char* program)
        : registration(sim), file(L"program.json") {
        check(registration.ok(), L"korvane-sim.exe /regserver");
        check(file.write(program), L"the part program file is written");
        server.emplace(sim, file.path(), L"dravosk-e2e-" + std::to_wstring(GetCurrentProcessId()),
                       sim::client::Server::Window::shown);
        check(server->ready(), L"korvane-sim.exe starts and answers on its control channel: " +
                                   wide(server->startError()));
    }
    bool ready() const { return registration.ok() && server->ready(); }
    std::optional<sim::PartProgram> saved() const {
        std::string error;
        std::optional<sim::PartProgram> program = server->saved(error);
        check(error.empty(), L"the host's part program is saved: " + wide(error));
        return program;
    }
    bool request(const std::string& text) const {
        const sim::client::Reply reply = server->control(text);
        check(reply.ok, wide(text) + L": " + wide(reply.error));
        return reply.ok;
    }

    sim::client::Registration registration;
    sim::client::TempFile file;
    std::optional<sim::client::Server> server;  // stopped before the registration goes
};

// Read, marking by hand and with the buttons, two Writes with a check box changed between them.
int readAndWrite(const std::wstring& exe, const std::wstring& sim) {
    HostSetup host(sim, kTestProgram);
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
    HostSetup host(sim, kProgramWithoutFeatures);
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

// The host has no open part program: Read fails, the list it had stays until the end.
int noProgram(const std::wstring& exe, const std::wstring& sim) {
    HostSetup host(sim, kTestProgram);
    App app(exe);
    if (!host.ready() || !app.ready() || !read(app) || !host.request("no-program")) {
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
    HostSetup host(sim, kTestProgram);
    const std::optional<sim::PartProgram> start = host.saved();
    App app(exe);
    if (!host.ready() || !start || !app.ready() || !read(app)) {
        return 1;
    }
    markAllLines(app, true);
    toggle(app, Check2);
    // With IST unchecked Fläche_Süd takes two PutVector calls; the third, Bohrung_1's first,
    // fails.
    if (!host.request("fail PutVector 3 0x80041234 Achse gesperrt: Änderung abgelehnt")) {
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

}  // namespace

int wmain(int argc, wchar_t** argv) {
    // Plain \n on a pipe, as the tools that read this output expect.
    _setmode(_fileno(stdout), _O_BINARY);
    if (argc == 4) {
        for (const Scenario& scenario : kScenarios) {
            if (std::wcscmp(argv[1], scenario.name) == 0) {
                const int result = scenario.run(windowsPath(argv[2]), windowsPath(argv[3]));
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
