// Form1: the tool's only window. It owns the controls, the feature list and the control states
// over them, and the fonts, icons and picture they show; only the four buttons run the tool's code,
// each click behind the window's one exception barrier.
#pragma once

#include <windows.h>

#include <array>
#include <chrono>
#include <optional>

#include "core/command_progress.h"
#include "core/error.h"
#include "core/host.h"
#include "ui/form_controls.h"
#include "ui/host_watch.h"
#include "ui/layout.h"
#include "win/handles.h"
#include "win/window_base.h"

namespace dravosk::ui {

class MainWindow : public win::WindowBase<MainWindow> {
  public:
    // The icon and the picture are taken from `instance`'s resources when it has them. A call to
    // the host unanswered for `wait` brings the question whether to wait on.
    MainWindow(HINSTANCE instance, AutomationService& service,
               std::chrono::seconds wait = kDefaultWait);
    ~MainWindow();

    // Creates the window in its design-time state and shows it; false (GetLastError set) if not.
    bool create(int showCommand);

    HWND control(Slot slot) const { return controls_[static_cast<std::size_t>(slot)]; }

    // What a click on one of the four buttons runs (main_window.cpp).
    struct ButtonCommand;

    // Keyboard navigation between the controls (Tab, Shift+Tab); true when the message was used.
    bool preTranslate(MSG& message);

    // The watch for a host that does not answer, to be told of every call to the host.
    CallObserver& callWatch() { return watch_; }

  private:
    friend class win::WindowBase<MainWindow>;
    static win::WindowClass windowClass();
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void windowGone();

    // Layout (main_window_layout.cpp): the controls as designed, font, icons and size per DPI.
    void createControls();
    void applyDpi(UINT dpi);
    void takeFont(UINT dpi);
    void takeIcons(UINT dpi);
    void placeControls(UINT dpi);
    // Sizes the window so that its client area is the designed one at `dpi`.
    void fitClientArea(UINT dpi, int left, int top);

    // The table entry of the button `control` is; null for every other control.
    const ButtonCommand* commandOf(HWND control) const;
    void onClick(HWND button);
    // Runs the button's command with the hourglass showing and, where the table says so, List1's
    // drawing suspended. A command that reaches the host acts on the marks and check states of its
    // click, held until it ends: what other programs change meanwhile shows, but counts from the
    // next command on. Nothing may unwind through the window procedure: every failure comes back
    // as an Error, one not the tool's own named after the command's click event.
    std::optional<Error> run(const ButtonCommand& command);
    // Removes the clicks posted to the four buttons and Form1, and its WM_COMMANDs, still queued.
    void dropQueuedClicks() noexcept;
    void endWithError(const Error& error);
    // From inside the wait for a call the operator gave up on: the report (unless one was shown
    // already), then the process ends at once, leaving nothing to run inside the platform's wait.
    // `owner` is the window when its own thread asked, null when the watch's helper did.
    [[noreturn]] void endAbandoned(HWND owner, std::chrono::seconds waited,
                                   std::u16string_view member) noexcept;
    // The window procedure's last barrier: a failure nothing else caught.
    [[noreturn]] void failedUnexpectedly() noexcept;
    void rememberFocus();
    void restoreFocus();

    HINSTANCE instance_;
    AutomationService& service_;
    std::array<HWND, kControls.size()> controls_{};
    HWND focus_ = nullptr;

    // Shown by the controls: released only after them (~MainWindow destroys the window first).
    win::unique_hfont font_;
    win::unique_hbitmap picture_;
    win::unique_hicon bigIcon_;
    win::unique_hicon smallIcon_;

    std::optional<ListBoxFeatureList> list_;
    std::optional<WindowControlStates> states_;
    CommandProgress progress_;
    HostWatch watch_;

    enum class State {
        idle,
        running,    // a command runs
        closing,    // a command runs, and a close arrived meanwhile: the window goes after it
        reporting,  // a failure is being reported; the program ends after it
        reported,   // the report was shown; the window goes
    };
    State state_ = State::idle;
    int exitCode_ = 0;  // posted with the quit message: 1 after a reported error
};

}  // namespace dravosk::ui
