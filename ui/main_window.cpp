#include "ui/main_window.h"

#include <cstdlib>
#include <exception>
#include <new>
#include <string>

#include "core/commands.h"
#include "core/text.h"
#include "ui/button_caption.h"
#include "ui/reports.h"
#include "win/message_queue.h"
#include "win/system_functions.h"

namespace dravosk::ui {

namespace {

constexpr wchar_t kShutdownReason[] = L"Dravosk schreibt in das Korvane-Programm";

// Runs a button click that arrived inside another thread's SendMessage (lParam: the button):
// there COM refuses outgoing calls (RPC_E_CANTCALLOUT_ININPUTSYNCCALL), so no command may run.
constexpr UINT kClickMessage = WM_APP + 2;

constexpr std::int32_t kOutOfMemory = static_cast<std::int32_t>(E_OUTOFMEMORY);
constexpr std::int32_t kUnexpected = static_cast<std::int32_t>(E_UNEXPECTED);

}  // namespace

struct MainWindow::ButtonCommand {
    Slot slot;                 // the button
    std::u16string_view name;  // its click event, named as the failing step in a report
    // A command that reaches the host, or a marking, which needs none.
    void (*hostCommand)(AutomationService&, FeatureList&, ControlStates&, CommandProgress&);
    void (*marking)(FeatureList&);
    // The command changes every line of List1: the list is drawn once when it is done (also when
    // it fails, before the report), as drawing each line as it comes costs far more.
    bool redrawListOnce;
};

namespace {

constexpr std::array<MainWindow::ButtonCommand, 4> kButtonCommands = {{
    {Slot::cmd_lesen, u"cmd_lesen_Click", &cmd_lesen_Click, nullptr, true},
    // Write's message stands over the list while it is open: the list keeps drawing.
    {Slot::cmd_schreiben, u"cmd_schreiben_Click", &cmd_schreiben_Click, nullptr, false},
    {Slot::cmd_allemarkieren, u"cmd_allemarkieren_Click", nullptr, &markAll, true},
    {Slot::cmd_alledemarkieren, u"cmd_alledemarkieren_Click", nullptr, &unmarkAll, true},
}};

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
                if (state_ != State::idle) {
                    // Dropped, as input is: afterwards it would act on what the command left.
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
            return state_ == State::idle ? TRUE : FALSE;
        case WM_CLOSE:
            // No question, nothing saved, the host untouched. A running command finishes first
            // and closes the window only if it succeeds (the close box and Alt+F4 come only
            // then: input queued while it runs, turned into this by win::discardQueuedInput);
            // an open report is confirmed first.
            if (state_ == State::running) {
                state_ = State::closing;
            } else if (state_ == State::idle) {
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

const MainWindow::ButtonCommand* MainWindow::commandOf(HWND control) const {
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
    // One command at a time, none during a report, none from a disabled button, however sent.
    const ButtonCommand* command = commandOf(button);
    if (state_ != State::idle || command == nullptr || !IsWindowEnabled(button)) {
        return;
    }
    // While a command that reaches the host runs and while its report is open, logging off or
    // shutting down is refused (ending the program then would leave the operator without the
    // report of what was written), and the host is watched; a marking never waits for the host.
    const HWND window = hwnd();
    const bool callsHost = command->hostCommand != nullptr;
    if (callsHost) {
        ShutdownBlockReasonCreate(window, kShutdownReason);
    }
    const win::scope_exit unblock([&] {
        if (callsHost) {
            ShutdownBlockReasonDestroy(window);
        }
    });
    std::optional<HostWatch::Session> watching;
    if (callsHost) {
        watching.emplace(watch_, window);
        states_->holdEnabling();
    }
    state_ = State::running;
    progress_.begin();
    const std::optional<Error> failure = run(*command);
    const bool closeAsked = state_ == State::closing;
    state_ = State::idle;
    // Input made while the command ran is still queued (every wait during a command leaves it
    // so) and is thrown away, so that nothing clicked or typed meanwhile acts on what the command
    // left behind; so are clicks other programs posted, which the wait for a COM call leaves too.
    win::discardQueuedInput();
    if (callsHost) {
        dropQueuedClicks();
        // Only now: a program that clicks a button as soon as it is enabled clicks after it.
        states_->releaseEnabling();
    }

    if (failure) {
        endWithError(*failure);
    } else {
        service_.releaseDeferred();
        if (closeAsked) {
            DestroyWindow(hwnd());
        }
    }
}

std::optional<Error> MainWindow::run(const ButtonCommand& command) {
    // System cursors are shared: nothing to release.
    const HCURSOR previous = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    const win::scope_exit cursorBack([previous] { SetCursor(previous); });
    const HWND list = control(Slot::List1);
    if (command.redrawListOnce) {
        SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    }
    const win::scope_exit redraw([&] {
        if (command.redrawListOnce) {
            SendMessageW(list, WM_SETREDRAW, TRUE, 0);
            RedrawWindow(list, nullptr, nullptr,
                         RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
        }
    });
    try {
        if (command.marking != nullptr) {
            command.marking(*list_);
            return std::nullopt;
        }
        // Before the command's first call to the host: every wait for it handles messages other
        // programs send, and those may click or select in the controls.
        list_->holdMarks();
        const win::scope_exit releaseMarks([this] { list_->releaseMarks(); });
        states_->holdCheckStates();
        const win::scope_exit releaseStates([this] { states_->releaseCheckStates(); });
        command.hostCommand(service_, *list_, *states_, progress_);
        return std::nullopt;
    } catch (const Error& error) {
        return error;
    } catch (const std::bad_alloc&) {
        return Error(kOutOfMemory, u"Nicht genügend Arbeitsspeicher.",
                     std::u16string(command.name));
    } catch (const std::exception& error) {
        return Error(kUnexpected, fromUtf8(error.what()), std::u16string(command.name));
    } catch (...) {
        return Error(kUnexpected, u"Unerwarteter Fehler.", std::u16string(command.name));
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
    state_ = State::reporting;
    exitCode_ = 1;
    // The live record: a PutVector that never answered is named there as uncertain.
    showErrorReport(hwnd(), error, progress_.record());
    state_ = State::reported;
    // What the failure left unreleased goes back to the host only now, after the report.
    service_.releaseDeferred();
    DestroyWindow(hwnd());
}

void MainWindow::endAbandoned(HWND owner, std::chrono::seconds waited,
                              std::u16string_view member) noexcept {
    // On the helper thread (`owner` null) the window's thread is held at its call: what it
    // left in progress_ stands still, and nothing of the window is touched from here.
    const bool reported = state_ == State::reported;
    if (owner != nullptr) {
        state_ = reported ? State::reported : State::reporting;
        exitCode_ = 1;
    }
    if (!reported) {
        constexpr auto kCancelled = static_cast<std::int32_t>(RPC_E_CALL_CANCELED);
        try {
            // As it stands: a PutVector out now is named as uncertain.
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
