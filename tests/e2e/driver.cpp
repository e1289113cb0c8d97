// End-to-end driver: starts dravosk.exe and works its window only as a user could, through window
// messages and keyboard input, then checks what the window shows.
//
// Usage: e2e_driver SCENARIO PATH\TO\dravosk.exe
// Exit codes: 0 passed, 1 failed, 2 usage, 77 skipped (the scenario's precondition is not met).
#include <windows.h>
// after windows.h
#include <objbase.h>

#include <cstdio>
#include <cwchar>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int kSkipped = 77;
constexpr wchar_t kCaption[] = L"Dravosk für Korvane";

int failures = 0;

void print(const std::wstring& text) {
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(size > 0 ? size : 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, utf8.data(), size, nullptr, nullptr);
    std::fputs(utf8.c_str(), stdout);
    std::fputs("\n", stdout);
    std::fflush(stdout);
}

void check(bool ok, const std::wstring& what) {
    if (!ok) {
        ++failures;
        print(L"FAILED: " + what);
    }
}

template <typename T>
void checkEqual(const T& actual, const T& expected, const std::wstring& what) {
    if (!(actual == expected)) {
        ++failures;
        print(L"FAILED: " + what + L": is " + std::to_wstring(actual) + L", expected " +
              std::to_wstring(expected));
    }
}

void checkText(const std::wstring& actual, const std::wstring& expected, const std::wstring& what) {
    if (actual != expected) {
        ++failures;
        print(L"FAILED: " + what + L": is \"" + actual + L"\", expected \"" + expected + L"\"");
    }
}

std::wstring textOf(HWND hwnd) {
    const auto length = SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(length));
    return text;
}

std::wstring classOf(HWND hwnd) {
    wchar_t name[64] = {};
    GetClassNameW(hwnd, name, 64);
    return name;
}

bool waitFor(const std::function<bool()>& condition, DWORD milliseconds) {
    const ULONGLONG end = GetTickCount64() + milliseconds;
    while (!condition()) {
        if (GetTickCount64() > end) {
            return false;
        }
        Sleep(20);
    }
    return true;
}

// The design table in pixels at 96 DPI (15 twips per pixel), in tab order.
struct Expected {
    const wchar_t* name;
    const wchar_t* className;
    const wchar_t* text;
    int left, top, width, height;
};
constexpr Expected kExpected[] = {
    {L"cmd_lesen", L"Button", L"Elemente aus offenem Korvane Programm einlesen", 32, 16, 177, 49},
    {L"cmd_schreiben", L"Button",
     L"Vektoren der Markierten Elemente umgekehrt in das Programm schreiben", 32, 72, 177, 57},
    {L"List1", L"ListBox", L"", 296, 8, 217, 290},
    {L"Check1", L"Button", L"Theo umkehren", 40, 152, 137, 17},
    {L"Check2", L"Button", L"IST umkehren", 40, 176, 137, 17},
    {L"Check3", L"Button", L"Ziel umkehren", 40, 200, 137, 17},
    {L"Label1", L"Static", L"Merkmalvektoren umkehren", 296, 360, 153, 25},
    {L"cmd_allemarkieren", L"Button", L"Alle Merkmale selektieren", 296, 304, 97, 33},
    {L"cmd_alledemarkieren", L"Button", L"Alle Merkmale deselektieren", 408, 304, 97, 33},
    {L"Image1", L"Static", L"", 24, 248, 214, 136},
};
enum Control : std::size_t {
    cmd_lesen,
    cmd_schreiben,
    List1,
    Check1,
    Check2,
    Check3,
    Label1,
    cmd_allemarkieren,
    cmd_alledemarkieren,
    Image1,
    kControlCount
};

// A running dravosk.exe and its window.
class App {
  public:
    explicit App(const std::wstring& exe) {
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        std::wstring commandLine = L"\"" + exe + L"\"";
        if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            nullptr, &startup, &process_)) {
            print(L"FAILED: cannot start " + exe + L" (error " + std::to_wstring(GetLastError()) +
                  L")");
            ++failures;
            return;
        }
        WaitForInputIdle(process_.hProcess, 10000);
        waitFor([&] { return (window_ = findWindow()) != nullptr; }, 10000);
        check(window_ != nullptr, L"the window \"Dravosk für Korvane\" appears");
        if (window_ != nullptr) {
            for (HWND child = GetWindow(window_, GW_CHILD); child != nullptr;
                 child = GetWindow(child, GW_HWNDNEXT)) {
                children_.push_back(child);
            }
        }
    }
    ~App() {
        if (process_.hProcess != nullptr) {
            if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
                TerminateProcess(process_.hProcess, 99);
                WaitForSingleObject(process_.hProcess, 5000);
            }
            CloseHandle(process_.hThread);
            CloseHandle(process_.hProcess);
        }
    }
    App(const App&) = delete;
    App& operator=(const App&) = delete;

    bool ready() const { return window_ != nullptr && children_.size() == kControlCount; }
    HWND window() const { return window_; }
    const std::vector<HWND>& children() const { return children_; }
    HWND control(Control which) const { return children_.at(which); }

    // A click as the mouse gives it. Posted: a click that opens a modal box would block a send.
    void click(Control which) const { PostMessageW(control(which), BM_CLICK, 0, 0); }

    HWND focus() const {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(GetWindowThreadProcessId(window_, nullptr), &info);
        return info.hwndFocus;
    }

    // A visible message box of the program, or nullptr.
    HWND messageBox() const {
        struct Search {
            DWORD process;
            HWND found;
        } search{process_.dwProcessId, nullptr};
        EnumWindows(
            [](HWND hwnd, LPARAM context) -> BOOL {
                auto* s = reinterpret_cast<Search*>(context);
                DWORD process = 0;
                GetWindowThreadProcessId(hwnd, &process);
                if (process == s->process && classOf(hwnd) == L"#32770" && IsWindowVisible(hwnd)) {
                    s->found = hwnd;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.found;
    }
    HWND waitForMessageBox(DWORD milliseconds) const {
        HWND box = nullptr;
        waitFor([&] { return (box = messageBox()) != nullptr; }, milliseconds);
        return box;
    }

    // The exit code once the program has ended, or STILL_ACTIVE after the wait.
    DWORD waitForExit(DWORD milliseconds) const {
        WaitForSingleObject(process_.hProcess, milliseconds);
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(process_.hProcess, &code);
        return code;
    }

  private:
    HWND findWindow() const {
        struct Search {
            DWORD process;
            HWND found;
        } search{process_.dwProcessId, nullptr};
        EnumWindows(
            [](HWND hwnd, LPARAM context) -> BOOL {
                auto* s = reinterpret_cast<Search*>(context);
                DWORD process = 0;
                GetWindowThreadProcessId(hwnd, &process);
                if (process == s->process && textOf(hwnd) == kCaption && IsWindowVisible(hwnd)) {
                    s->found = hwnd;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.found;
    }

    PROCESS_INFORMATION process_{};
    HWND window_ = nullptr;
    std::vector<HWND> children_;
};

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
                   std::wstring(kExpected[i].name) + L" enabled");
    }
    for (Control box : {Check1, Check2, Check3}) {
        checkEqual(SendMessageW(app.control(box), BM_GETCHECK, 0, 0), LRESULT{BST_CHECKED},
                   std::wstring(kExpected[box].name) + L" checked");
        checkEqual(GetWindowLongW(app.control(box), GWL_STYLE) & BS_TYPEMASK, LONG{BS_AUTOCHECKBOX},
                   std::wstring(kExpected[box].name) + L" style");
    }
    checkEqual(SendMessageW(app.control(List1), LB_GETCOUNT, 0, 0), LRESULT{0}, L"list entries");
    check(app.focus() == app.control(cmd_lesen), L"cmd_lesen has the focus");

    // Plain push buttons whose captions wrap: no default button anywhere.
    for (Control button : {cmd_lesen, cmd_schreiben, cmd_allemarkieren, cmd_alledemarkieren}) {
        const LONG style = GetWindowLongW(app.control(button), GWL_STYLE);
        checkEqual(style & BS_TYPEMASK, LONG{BS_PUSHBUTTON},
                   std::wstring(kExpected[button].name) + L" is a plain push button");
        check((style & BS_MULTILINE) != 0, std::wstring(kExpected[button].name) + L" wraps");
    }
    const LONG listStyle = GetWindowLongW(app.control(List1), GWL_STYLE);
    check((listStyle & LBS_EXTENDEDSEL) != 0, L"List1 has extended selection");
    check((listStyle & LBS_SORT) == 0, L"List1 keeps the host's order");
    return failures == 0 ? 0 : 1;
}

int layout(const std::wstring& exe) {
    App app(exe);
    if (app.window() == nullptr) {
        return 1;
    }
    checkEqual(GetDpiForWindow(app.window()), UINT{96}, L"DPI of the test display");
    checkText(textOf(app.window()), kCaption, L"caption");
    RECT client;
    GetClientRect(app.window(), &client);
    checkEqual(client.right, LONG{524}, L"client width");
    checkEqual(client.bottom, LONG{392}, L"client height");

    // The children in z-order are the tab order.
    checkEqual(app.children().size(), std::size_t{kControlCount}, L"number of controls");
    for (std::size_t i = 0; i < app.children().size() && i < kControlCount; ++i) {
        const HWND child = app.children()[i];
        const Expected& e = kExpected[i];
        const std::wstring name = e.name;
        check(CompareStringOrdinal(classOf(child).c_str(), -1, e.className, -1, TRUE) == CSTR_EQUAL,
              name + L" is a " + e.className + L" (is " + classOf(child) + L")");
        checkText(textOf(child), e.text, name + L" caption");
        RECT rect;
        GetWindowRect(child, &rect);
        MapWindowPoints(nullptr, app.window(), reinterpret_cast<POINT*>(&rect), 2);
        checkEqual(rect.left, LONG(e.left), name + L" left");
        checkEqual(rect.top, LONG(e.top), name + L" top");
        checkEqual(rect.right - rect.left, LONG(e.width), name + L" width");
        checkEqual(rect.bottom - rect.top, LONG(e.height), name + L" height");
        check(IsWindowVisible(child) != FALSE, name + L" visible");
    }
    return failures == 0 ? 0 : 1;
}

int tabOrder(const std::wstring& exe) {
    App app(exe);
    if (!app.ready()) {
        return 1;
    }
    check(activate(app), L"the window takes the keyboard");
    const auto focusIs = [&](Control expected, const wchar_t* step) {
        const bool reached = waitFor([&] { return app.focus() == app.control(expected); }, 2000);
        check(reached, std::wstring(step) + L": focus on " + kExpected[expected].name);
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
    return failures == 0 ? 0 : 1;
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
    return failures == 0 ? 0 : 1;
}

int closing(const std::wstring& exe) {
    App app(exe);
    if (app.window() == nullptr) {
        return 1;
    }
    PostMessageW(app.window(), WM_CLOSE, 0, 0);
    checkEqual(app.waitForExit(5000), DWORD{0}, L"exit code after closing");
    return failures == 0 ? 0 : 1;
}

// Read when no host is registered: the one error path reports the failure and ends the program.
int readWithoutHost(const std::wstring& exe) {
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
    checkText(textOf(box), L"Dravosk", L"report caption");
    const std::wstring text = textOf(GetDlgItem(box, 0xFFFF));
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
    return failures == 0 ? 0 : 1;
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
    return failures == 0 ? 0 : 1;
}

struct Scenario {
    const wchar_t* name;
    int (*run)(const std::wstring& exe);
};
constexpr Scenario kScenarios[] = {
    {L"resources", resources},
    {L"start_state", startState},
    {L"layout", layout},
    {L"tab_order", tabOrder},
    {L"keys", keys},
    {L"close", closing},
    {L"read_without_host", readWithoutHost},
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
    if (argc == 3) {
        for (const Scenario& scenario : kScenarios) {
            if (std::wcscmp(argv[1], scenario.name) == 0) {
                const int result = scenario.run(windowsPath(argv[2]));
                print(std::wstring(scenario.name) + (result == 0 ? L": passed" : L": failed"));
                return result;
            }
        }
    }
    print(L"usage: e2e_driver SCENARIO PATH\\TO\\dravosk.exe");
    for (const Scenario& scenario : kScenarios) {
        print(std::wstring(L"  ") + scenario.name);
    }
    return 2;
}
