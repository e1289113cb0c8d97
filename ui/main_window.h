// Form1: the tool's only window. It owns the controls, the feature list and the control states
// over them, and the fonts, icons and picture they show; only the four buttons run the tool's code.
#pragma once

#include <windows.h>

#include <array>
#include <chrono>
#include <optional>

#include "core/command_progress.h"
#include "core/error.h"
#include "core/host.h"
#include "ui/button_commands.h"
#include "ui/host_watch.h"
#include "ui/layout.h"
#include "ui/listbox_feature_list.h"
#include "ui/window_control_states.h"
#include "win/gdi_handles.h"
#include "win/window_base.h"

namespace dravosk::ui {

class MainWindow : public win::WindowBase<MainWindow> {
  public:
    // The icon and the picture are taken from `instance`'s resources when it has them. A call to
    // the host unanswered for `wait` brings the question whether to wait on.
    MainWindow(HINSTANCE instance, AutomationService& service,
               std::chrono::seconds wait = kDefaultWait);
    ~MainWindow();

    // Creates the window with its design-time state and shows it; false (GetLastError set) when
    // a window could not be created.
    bool create(int showCommand);

    HWND control(Slot slot) const { return controls_[static_cast<std::size_t>(slot)]; }

    // Keyboard navigation between the controls (Tab, Shift+Tab); true when the message was used.
    bool preTranslate(MSG& message);

    // What the program returns: 0 after the window was closed, 1 after a reported error.
    int exitCode() const { return exitCode_; }

    // Where the running command stands.
    CommandProgress& progress() { return progress_; }
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
    // Removes the clicks posted to the four buttons, and the clicks and WM_COMMAND messages
    // posted to Form1, that still wait in the queue.
    void dropQueuedClicks() noexcept;
    void endWithError(const Error& error);
    // From inside the wait for a call the operator gave up on: the report (unless a failure
    // was reported already), then the process ends at once, with nothing left to run inside
    // the platform's wait for the host. `owner` is the window when its own thread asked, null
    // when the watch's helper thread did.
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

    // Shown by the controls; released only after the window and its controls are gone.
    win::unique_hfont font_;
    win::unique_hbitmap picture_;
    win::unique_hicon bigIcon_;
    win::unique_hicon smallIcon_;

    std::optional<ListBoxFeatureList> list_;
    std::optional<WindowControlStates> states_;
    CommandProgress progress_;
    HostWatch watch_;

    bool running_ = false;       // a command is running
    bool ending_ = false;        // its failure is being reported; the program ends after it
    bool reported_ = false;      // that report was shown
    bool closeWaiting_ = false;  // a close arrived while it ran
    int exitCode_ = 0;
};

}  // namespace dravosk::ui
