#include "ui/main_window.h"

#include "ui/busy_question.h"
#include "ui/button_caption.h"
#include "ui/command_runner.h"
#include "ui/error_report.h"
#include "win/system_functions.h"

namespace dravosk::ui {

namespace {

constexpr wchar_t kShutdownReason[] = L"Dravosk schreibt in das Korvane-Programm";

// While a command runs, logging off or shutting down is refused with this reason: ending the
// program half way through Write would leave the operator without the report of what was
// written.
class ShutdownBlock {
  public:
    explicit ShutdownBlock(HWND window) : window_(window) {
        ShutdownBlockReasonCreate(window_, kShutdownReason);
    }
    ~ShutdownBlock() { ShutdownBlockReasonDestroy(window_); }
    ShutdownBlock(const ShutdownBlock&) = delete;
    ShutdownBlock& operator=(const ShutdownBlock&) = delete;

  private:
    HWND window_;
};

}  // namespace

MainWindow::MainWindow(HINSTANCE instance, AutomationService& service, std::chrono::seconds wait)
    : instance_(instance),
      service_(service),
      watch_(
          progress_, wait,
          [this](std::chrono::seconds waited, std::u16string_view step) {
              return askToWaitOn(hwnd(), busyQuestionText(waited, step));
          },
          [this](const Error& error) { endAbandoned(error); }) {
    progress_.setWatcher(&watch_);
}

MainWindow::~MainWindow() {
    // The controls go before the font, icons and picture they borrow.
    if (hwnd() != nullptr) {
        DestroyWindow(hwnd());
    }
}

win::WindowClass MainWindow::windowClass() {
    return {L"DravoskForm1", LoadCursorW(nullptr, IDC_ARROW), nullptr,
            reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)};
}

bool MainWindow::create(int showCommand) {
    if (!createWindow(instance_, kWindowExStyle, kWindowCaption, kWindowStyle)) {
        return false;
    }

    createControls();
    for (HWND control : controls_) {
        if (control == nullptr) {
            const DWORD code = GetLastError();
            DestroyWindow(hwnd());
            SetLastError(code);
            return false;
        }
    }

    const UINT dpi = win::windowDpi(hwnd());
    applyDpi(dpi);
    RECT place;
    GetWindowRect(hwnd(), &place);
    fitClientArea(dpi, place.left, place.top);

    focus_ = control(Slot::cmd_lesen);
    ShowWindow(hwnd(), showCommand);
    UpdateWindow(hwnd());
    SetFocus(focus_);
    return true;
}

bool MainWindow::preTranslate(MSG& message) {
    return hwnd() != nullptr && IsDialogMessageW(hwnd(), &message) != FALSE;
}

void MainWindow::windowGone() {
    controls_.fill(nullptr);
    focus_ = nullptr;
}

LRESULT MainWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            // Only button clicks count; the dialog manager's IDOK and IDCANCEL (Enter, Esc) and
            // the check boxes' clicks find no command here.
            if (lParam != 0 && HIWORD(wParam) == BN_CLICKED) {
                onClick(reinterpret_cast<HWND>(lParam));
            }
            return 0;
        case WM_NOTIFY: {
            // The push buttons' captions are laid out over their whole face (ui/button_caption.h).
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            if (header->code == NM_CUSTOMDRAW && commandOf(header->hwndFrom) != nullptr) {
                return drawPushButton(*reinterpret_cast<const NMCUSTOMDRAW*>(lParam));
            }
            return DefWindowProcW(hwnd(), message, wParam, lParam);
        }
        case WM_ACTIVATE:
            if (LOWORD(wParam) == WA_INACTIVE) {
                rememberFocus();
            } else if (HIWORD(wParam) == 0) {
                restoreFocus();
            }
            return 0;
        case WM_SETFOCUS:
            restoreFocus();
            return 0;
        case WM_DPICHANGED: {
            const UINT dpi = HIWORD(wParam);
            const auto* suggested = reinterpret_cast<const RECT*>(lParam);
            applyDpi(dpi);
            // The suggested place, but the size that gives exactly the designed client area.
            fitClientArea(dpi, suggested->left, suggested->top);
            return 0;
        }
        case WM_QUERYENDSESSION:
            return running_ ? FALSE : TRUE;
        case WM_CLOSE:
            // No question, nothing saved, the host untouched. A command that is still running
            // (its message box is open) finishes first; a report that is open is confirmed
            // first.
            if (running_ || ending_) {
                closeWaiting_ = true;
            } else {
                DestroyWindow(hwnd());
            }
            return 0;
        case WM_DESTROY:
            PostQuitMessage(exitCode_);
            return 0;
        default:
            return DefWindowProcW(hwnd(), message, wParam, lParam);
    }
}

const ButtonCommand* MainWindow::commandOf(HWND control) const {
    for (const ButtonCommand& command : kButtonCommands) {
        if (control != nullptr && this->control(command.slot) == control) {
            return &command;
        }
    }
    return nullptr;
}

void MainWindow::rememberFocus() {
    const HWND focus = GetFocus();
    if (focus != nullptr && IsChild(hwnd(), focus)) {
        focus_ = focus;
    }
}

void MainWindow::restoreFocus() {
    HWND target = focus_;
    if (target == nullptr || !IsWindowEnabled(target)) {
        target = GetNextDlgTabItem(hwnd(), nullptr, FALSE);
    }
    if (target != nullptr) {
        SetFocus(target);
    }
}

void MainWindow::onClick(HWND button) {
    // One command at a time, none while a failure is reported, and a disabled button runs
    // nothing, however the click was sent.
    if (running_ || ending_ || !IsWindowEnabled(button)) {
        return;
    }
    const ButtonCommand* command = commandOf(button);
    if (command == nullptr) {
        return;
    }
    std::optional<Error> failure;
    {
        running_ = true;
        const ShutdownBlock block(hwnd());
        const HostWatch::Session watching(watch_, hwnd());
        failure =
            runButtonCommand(*command, service_, *list_, *states_, progress_, control(Slot::List1));
        running_ = false;
    }

    if (failure) {
        endWithError(*failure);
    } else if (closeWaiting_) {
        DestroyWindow(hwnd());
    }
}

void MainWindow::endWithError(const Error& error) {
    // From here on the window only waits for the report to be confirmed and then ends.
    ending_ = true;
    exitCode_ = 1;
    showErrorReport(hwnd(), error);
    DestroyWindow(hwnd());
}

void MainWindow::endAbandoned(const Error& error) {
    ending_ = true;
    exitCode_ = 1;
    showErrorReport(hwnd(), error);
    ExitProcess(static_cast<UINT>(exitCode_));
}

}  // namespace dravosk::ui
