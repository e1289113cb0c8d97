#include "ui/main_window.h"

#include <cstdlib>

#include "core/text.h"

#include "ui/busy_question.h"
#include "ui/button_caption.h"
#include "ui/command_runner.h"
#include "ui/error_report.h"
#include "win/message_queue.h"
#include "win/system_functions.h"

namespace dravosk::ui {

namespace {

constexpr wchar_t kShutdownReason[] = L"Dravosk schreibt in das Korvane-Programm";

// A button click that arrived inside another thread's SendMessage runs from this message
// instead (lParam: the button). Inside an inter-thread SendMessage COM refuses outgoing calls
// (RPC_E_CANTCALLOUT_ININPUTSYNCCALL), so the command must not run there.
constexpr UINT kClickMessage = WM_APP + 2;

// While a command runs and while its report is open, logging off or shutting down is refused
// with this reason: ending the program then would leave the operator without the report of
// what was written.
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
          wait,
          [this](HWND owner, std::chrono::seconds waited, std::u16string_view member) {
              if (owner != nullptr) {
                  // Keys and clicks made while the call waited must not answer the question.
                  win::discardQueuedInput();
              }
              return askToWaitOn(owner, busyQuestionText(waited, progress_.stepText(member)));
          },
          [this](HWND owner, std::chrono::seconds waited, std::u16string_view member) {
              endAbandoned(owner, waited, member);
          }) {}

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
                if (running_ || ending_) {
                    // A click that arrives while a command runs or its failure is reported is
                    // dropped, however it came, as input is: run afterwards, it would act on
                    // what the command left behind.
                } else if (InSendMessage()) {
                    PostMessageW(hwnd(), kClickMessage, 0, lParam);
                } else {
                    onClick(reinterpret_cast<HWND>(lParam));
                }
            }
            return 0;
        case kClickMessage:
            onClick(reinterpret_cast<HWND>(lParam));
            return 0;
        case HostWatch::kAskMessage:
            watch_.onAskMessage(wParam);
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
            return running_ || ending_ ? FALSE : TRUE;
        case WM_CLOSE:
            // No question, nothing saved, the host untouched. A command that is still running
            // finishes first, and closes the window only if it ends without a failure (the
            // close box and Alt+F4 reach here only then: they are input, kept queued while the
            // command runs, and win::discardQueuedInput turns them into this message); a
            // report that is open is confirmed first.
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
    // The block and the watch last until the report, if any, is confirmed.
    const ShutdownBlock block(hwnd());
    const HostWatch::Session watching(watch_, hwnd());
    running_ = true;
    states_->holdEnabling();
    const std::optional<Error> failure =
        runButtonCommand(*command, service_, *list_, *states_, progress_, control(Slot::List1));
    running_ = false;
    // Input made while the command ran was never handed to the controls (every wait during a
    // command leaves it queued); it is thrown away, so that nothing clicked or typed meanwhile
    // acts on what the command left behind. So are the clicks other programs posted while it
    // waited for the host that are still queued: the wait for a COM call leaves posted
    // messages in the queue.
    win::discardQueuedInput();
    if (command->callsHost) {
        dropQueuedClicks();
    }
    // Only now do the buttons show what the command left: a program that clicks a button as
    // soon as it is enabled clicks after the command.
    states_->releaseEnabling();

    if (failure) {
        endWithError(*failure);
    } else {
        service_.releaseDeferred();
        if (closeWaiting_) {
            DestroyWindow(hwnd());
        }
    }
}

void MainWindow::dropQueuedClicks() noexcept {
    MSG message;
    // The buttons' alone: a check box or the list changed by another program shows so, and
    // counts from the next command on, as a change made while the command waited does.
    for (const ButtonCommand& command : kButtonCommands) {
        while (PeekMessageW(&message, control(command.slot), BM_CLICK, BM_CLICK, PM_REMOVE)) {
        }
    }
    while (PeekMessageW(&message, hwnd(), kClickMessage, kClickMessage, PM_REMOVE)) {
    }
    // Only other programs post WM_COMMAND here: the controls send their notifications.
    while (PeekMessageW(&message, hwnd(), WM_COMMAND, WM_COMMAND, PM_REMOVE)) {
    }
}

void MainWindow::endWithError(const Error& error) {
    // From here on the window only waits for the report to be confirmed and then ends.
    ending_ = true;
    exitCode_ = 1;
    // The live record: a PutVector that never answered is named there as uncertain.
    showErrorReport(hwnd(), error, progress_.record());
    reported_ = true;
    // What the failure left unreleased goes back to the host only now, after the report.
    service_.releaseDeferred();
    DestroyWindow(hwnd());
}

void MainWindow::endAbandoned(HWND owner, std::chrono::seconds waited,
                              std::u16string_view member) noexcept {
    // On the helper thread (`owner` null) the window's thread is held at its call: what it
    // left in progress_ stands still, and nothing of the window is touched from here.
    if (owner != nullptr) {
        ending_ = true;
        exitCode_ = 1;
    }
    if (!reported_) {
        constexpr auto kCancelled = static_cast<std::int32_t>(RPC_E_CALL_CANCELED);
        try {
            // The record as it stands: the PutVector out now, if it is one, is named as
            // uncertain.
            const WriteRecord record = progress_.record();
            const Error error(kCancelled,
                              u"Der Aufruf wurde abgebrochen: Korvane hat " +
                                  decimal(waited.count()) + u" s lang nicht geantwortet.",
                              progress_.stepText(member));
            showErrorReport(owner, error, record);
        } catch (...) {
            showShortReport(owner, kCancelled, progress_.record());
        }
    }
    // Not ExitProcess: nothing of this process may run on, inside the platform's wait or in
    // any library's clean-up that could call the host.
    TerminateProcess(GetCurrentProcess(), 1);
    std::abort();  // not reached: TerminateProcess does not return for the calling process
}

void MainWindow::failedUnexpectedly() noexcept {
    showShortReport(hwnd(), static_cast<std::int32_t>(E_UNEXPECTED), progress_.record());
    TerminateProcess(GetCurrentProcess(), 1);
    std::abort();  // not reached
}

}  // namespace dravosk::ui
