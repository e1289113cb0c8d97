#include "demo/form1_remote.h"

#include <cstdio>

#include "core/text.h"
#include "sim/client/process.h"
#include "win/text.h"

namespace dravosk::demo {

std::wstring className(HWND window) {
    wchar_t name[257] = {};
    const int length = GetClassNameW(window, name, 257);
    return std::wstring(name, static_cast<std::size_t>(length > 0 ? length : 0));
}

bool isMessageBox(HWND window) {
    return className(window) == L"#32770" && IsWindowVisible(window);
}

std::wstring messageBoxText(HWND box) {
    return windowText(GetDlgItem(box, 0xFFFF));
}

namespace {

int failed = 0;

constexpr const wchar_t* kControlNames[kControlCount] = {
    L"cmd_lesen",
    L"cmd_schreiben",
    L"List1",
    L"Check1",
    L"Check2",
    L"Check3",
    L"Label1",
    L"cmd_allemarkieren",
    L"cmd_alledemarkieren",
    L"Image1",
};

struct WindowSearch {
    DWORD process;
    const std::function<bool(HWND)>& wanted;
    HWND found;
};

// EnumWindows calls back with the system's convention (stdcall in a 32-bit program), which a
// lambda's conversion to a function pointer does not give.
BOOL CALLBACK matchWindow(HWND hwnd, LPARAM context) {
    auto* search = reinterpret_cast<WindowSearch*>(context);
    DWORD process = 0;
    GetWindowThreadProcessId(hwnd, &process);
    if (process == search->process && search->wanted(hwnd)) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

HWND topLevelWindow(DWORD processId, const std::function<bool(HWND)>& wanted) {
    WindowSearch search{processId, wanted, nullptr};
    EnumWindows(matchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void print(const std::wstring& text) {
    const std::string utf8 = toUtf8(win::u16(text)) + "\n";
    std::fwrite(utf8.data(), 1, utf8.size(), stdout);
    std::fflush(stdout);
}

void check(bool ok, const std::wstring& what) {
    if (!ok) {
        ++failed;
        print(L"FAILED: " + what);
    }
}

void checkText(const std::wstring& actual, const std::wstring& expected, const std::wstring& what) {
    if (actual != expected) {
        ++failed;
        print(L"FAILED: " + what + L": is \"" + actual + L"\", expected \"" + expected + L"\"");
    }
}

int failures() {
    return failed;
}

const wchar_t* controlName(Control which) {
    return which < kControlCount ? kControlNames[which] : L"(no control)";
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

App::App(const std::wstring& exe) : process_(sim::client::startProgram(exe, L"")) {
    if (!process_) {
        check(false, L"cannot start " + exe + L" (error " + std::to_wstring(GetLastError()) + L")");
        return;
    }
    processId_ = GetProcessId(process_.get());
    WaitForInputIdle(process_.get(), 10000);
    waitFor([&] { return (window_ = findWindow()) != nullptr; }, 10000);
    check(window_ != nullptr, L"the window \"Dravosk für Korvane\" appears");
    takeChildren();
}

App::App(HWND window) : window_(window) {
    GetWindowThreadProcessId(window, &processId_);
    takeChildren();
}

App::~App() {
    if (process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_.get(), 99);
        WaitForSingleObject(process_.get(), 5000);
    }
}

HWND App::focus() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(window_, nullptr), &info);
    return info.hwndFocus;
}

HWND App::messageBox() const {
    return topLevelWindow(processId_, [](HWND hwnd) { return demo::isMessageBox(hwnd); });
}

HWND App::waitForMessageBox(DWORD milliseconds) const {
    HWND box = nullptr;
    waitFor([&] { return (box = messageBox()) != nullptr; }, milliseconds);
    return box;
}

DWORD App::waitForExit(DWORD milliseconds) const {
    WaitForSingleObject(process_.get(), milliseconds);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process_.get(), &code);
    return code;
}

void App::takeChildren() {
    if (window_ != nullptr) {
        for (HWND child = GetWindow(window_, GW_CHILD); child != nullptr;
             child = GetWindow(child, GW_HWNDNEXT)) {
            children_.push_back(child);
        }
    }
}

HWND App::findWindow() const {
    return topLevelWindow(processId_, [](HWND hwnd) {
        return windowText(hwnd) == kCaption && IsWindowVisible(hwnd);
    });
}

std::vector<std::wstring> listLines(HWND list) {
    std::vector<std::wstring> lines;
    const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
        std::wstring line(static_cast<std::size_t>(length > 0 ? length : 0) + 1, L'\0');
        SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i),
                     reinterpret_cast<LPARAM>(line.data()));
        line.resize(static_cast<std::size_t>(length > 0 ? length : 0));
        lines.push_back(line);
    }
    return lines;
}

void clickUntil(const App& app, Control which, const std::function<bool()>& done,
                const std::wstring& what) {
    // A click that comes while the last command still lets go of the host's objects is thrown
    // away with all input of the command, never carried out later: until `done` holds, it is
    // made again.
    bool ok = false;
    for (int attempt = 0; attempt < 5 && !ok; ++attempt) {
        app.click(which);
        ok = waitFor(done, 2000);
    }
    check(ok, std::wstring(controlName(which)) + L": " + what);
}

void markAllLines(const App& app, bool marked) {
    const HWND list = app.control(List1);
    clickUntil(
        app, marked ? cmd_allemarkieren : cmd_alledemarkieren,
        [&] {
            const auto count = SendMessageW(list, LB_GETCOUNT, 0, 0);
            return SendMessageW(list, LB_GETSELCOUNT, 0, 0) == (marked ? count : 0);
        },
        marked ? L"every line marked" : L"no line marked");
}

bool read(const App& app) {
    app.click(cmd_lesen);
    const auto done = [&] {
        for (Control button : {cmd_schreiben, cmd_allemarkieren, cmd_alledemarkieren}) {
            if (!IsWindowEnabled(app.control(button))) {
                return false;
            }
        }
        return true;
    };
    waitFor([&] { return done() || app.messageBox() != nullptr; }, 20000);
    const bool ok = done() && app.messageBox() == nullptr;
    check(ok, L"Read ends without a box");
    return ok;
}

Box waitForBox(const App& app) {
    Box box;
    box.hwnd = app.waitForMessageBox(20000);
    check(box.hwnd != nullptr, L"a message box appears");
    if (box.hwnd != nullptr) {
        box.caption = windowText(box.hwnd);
        box.text = demo::messageBoxText(box.hwnd);
    }
    return box;
}

void confirm(const Box& box) {
    PostMessageW(GetDlgItem(box.hwnd, IDOK), BM_CLICK, 0, 0);
}

bool write(const App& app) {
    const auto linesBefore = SendMessageW(app.control(List1), LB_GETCOUNT, 0, 0);
    app.click(cmd_schreiben);
    const Box box = waitForBox(app);
    if (box.hwnd == nullptr) {
        return false;
    }
    checkText(box.caption, L"Dravosk", L"caption of Write's message");
    checkText(box.text, kWrittenMessage, L"Write's message");
    check(IsWindowEnabled(app.window()) == FALSE, L"Write's message is modal");
    checkEqual(SendMessageW(app.control(List1), LB_GETCOUNT, 0, 0), linesBefore,
               L"the list stays until the message is confirmed");
    confirm(box);
    const bool emptied = waitFor(
        [&] {
            return app.messageBox() == nullptr &&
                   SendMessageW(app.control(List1), LB_GETCOUNT, 0, 0) == 0 &&
                   !IsWindowEnabled(app.control(cmd_schreiben));
        },
        10000);
    check(emptied, L"after Write's message the list is empty and Write disabled");
    return box.text == kWrittenMessage && emptied;
}

}  // namespace dravosk::demo
