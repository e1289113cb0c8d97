// Form1 of a running dravosk.exe, worked from another program only as a user could: through window
// messages, then reading back what the window shows. Shared by the demo player and the end-to-end
// tests. Every check that fails is printed and counted; failures() says how many there were.
#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "win/handles.h"
#include "win/text.h"

namespace dravosk::demo {

using win::windowText;

// A window's class name, as another program reads it.
std::wstring className(HWND window);
// A message box on the screen: the system's dialog class, visible.
bool isMessageBox(HWND window);
// The message a message box shows (its static control 0xFFFF), without its caption.
std::wstring messageBoxText(HWND box);

// --- Output and checks ---------------------------------------------------------------------

// One line as UTF-8 on standard output, flushed.
void print(const std::wstring& text);
// Prints "FAILED: what" and counts it unless `ok`.
void check(bool ok, const std::wstring& what);
void checkText(const std::wstring& actual, const std::wstring& expected, const std::wstring& what);
template <typename T>
void checkEqual(const T& actual, const T& expected, const std::wstring& what) {
    check(actual == expected,
          what + L": is " + std::to_wstring(actual) + L", expected " + std::to_wstring(expected));
}
int failures();

// --- The window ----------------------------------------------------------------------------

inline constexpr wchar_t kCaption[] = L"Dravosk für Korvane";
inline constexpr wchar_t kWrittenMessage[] = L"Alle selektierten Merkmale umgekehrt";

// Form1's controls in tab order (their order among the window's children).
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
// The control's name in the design ("cmd_lesen").
const wchar_t* controlName(Control which);

// Polls `condition` every 20 ms; false when it still does not hold after `milliseconds`.
bool waitFor(const std::function<bool()>& condition, DWORD milliseconds);
// The first top-level window of the process for which `wanted` holds, or nullptr.
HWND topLevelWindow(DWORD processId, const std::function<bool(HWND)>& wanted);

// A running dravosk.exe and its window.
class App {
  public:
    // Starts the program and waits for its window.
    explicit App(const std::wstring& exe);
    // The window of a program that someone else started.
    explicit App(HWND window);
    ~App();
    App(const App&) = delete;
    App& operator=(const App&) = delete;

    bool ready() const { return window_ != nullptr && children_.size() == kControlCount; }
    HWND window() const { return window_; }
    const std::vector<HWND>& children() const { return children_; }
    HWND control(Control which) const { return children_.at(which); }

    // A click as the mouse gives it. Posted: a click that opens a modal box would block a send.
    void click(Control which) const { PostMessageW(control(which), BM_CLICK, 0, 0); }

    HWND focus() const;
    // A visible message box of the program, or nullptr.
    HWND messageBox() const;
    HWND waitForMessageBox(DWORD milliseconds) const;
    // The exit code once the program has ended, or STILL_ACTIVE after the wait.
    DWORD waitForExit(DWORD milliseconds) const;

  private:
    void takeChildren();
    HWND findWindow() const;

    win::unique_handle process_;
    DWORD processId_ = 0;
    HWND window_ = nullptr;
    std::vector<HWND> children_;
};

// The lines of a list box, top to bottom.
std::vector<std::wstring> listLines(HWND list);

// Clicks are posted, as the mouse's are: the program's COM calls dispatch sent messages while they
// wait, but leave posted ones queued until the running command has ended. Each click is then
// followed by a wait for its effect.

// A click on a marking button or a check box; waits until `done` holds.
void clickUntil(const App& app, Control which, const std::function<bool()>& done,
                const std::wstring& what);
// cmd_allemarkieren or cmd_alledemarkieren on a filled list; waits until every line has its mark.
void markAllLines(const App& app, bool marked);
// Clicks Read and waits until it is done or a box has opened. Read enables the marking buttons
// after Write, so only all four enabled means done: a click before that would find them disabled.
bool read(const App& app);

struct Box {
    HWND hwnd = nullptr;
    std::wstring caption;
    std::wstring text;
};
Box waitForBox(const App& app);
void confirm(const Box& box);

// Clicks Write, checks its message while it is open, confirms it and waits for the list to empty.
bool write(const App& app);

}  // namespace dravosk::demo
