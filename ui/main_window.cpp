#include "ui/main_window.h"

#include <exception>
#include <new>
#include <string>

#include "core/commands.h"
#include "core/error.h"
#include "core/text.h"
#include "ui/button_caption.h"
#include "ui/error_report.h"
#include "ui/resource.h"
#include "ui/wait_cursor.h"
#include "ui/wide_text.h"

namespace dravosk::ui {

namespace {

constexpr wchar_t kClassName[] = L"DravoskForm1";
// A fixed frame: the layout never changes, so the window cannot be resized or maximised.
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = 0;

bool registerClass(HINSTANCE instance, WNDPROC procedure) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kClassName;
    return RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

struct ChildStyle {
    const wchar_t* className;
    DWORD style;
    DWORD exStyle;
};

ChildStyle childStyle(ControlKind kind) {
    constexpr DWORD child = WS_CHILD | WS_VISIBLE;
    switch (kind) {
        case ControlKind::pushButton:
            // A plain push button: none of them is the default or the cancel button.
            return {L"BUTTON", child | WS_TABSTOP | BS_PUSHBUTTON | BS_MULTILINE, 0};
        case ControlKind::listBox:
            return {L"LISTBOX",
                    child | WS_TABSTOP | WS_VSCROLL | LBS_EXTENDEDSEL | LBS_NOINTEGRALHEIGHT,
                    WS_EX_CLIENTEDGE};
        case ControlKind::checkBox:
            return {L"BUTTON", child | WS_TABSTOP | BS_AUTOCHECKBOX, 0};
        case ControlKind::label:
            return {L"STATIC", child | SS_LEFTNOWORDWRAP | SS_NOPREFIX, 0};
        case ControlKind::picture:
            return {L"STATIC", child | SS_BITMAP | SS_REALSIZECONTROL, 0};
    }
    return {L"STATIC", child, 0};
}

constexpr std::int32_t kOutOfMemory = static_cast<std::int32_t>(E_OUTOFMEMORY);
constexpr std::int32_t kUnexpected = static_cast<std::int32_t>(E_UNEXPECTED);

const wchar_t* commandName(Slot slot) {
    switch (slot) {
        case Slot::cmd_lesen:
            return L"cmd_lesen_Click";
        case Slot::cmd_schreiben:
            return L"cmd_schreiben_Click";
        case Slot::cmd_allemarkieren:
            return L"cmd_allemarkieren_Click";
        default:
            return L"cmd_alledemarkieren_Click";
    }
}

// Suspends a control's drawing while a command changes many of its lines at once, and repaints it
// once at the end; each line drawn as it comes costs far more than the change itself.
class SuspendedDrawing {
  public:
    explicit SuspendedDrawing(HWND control) : control_(control) {
        SendMessageW(control_, WM_SETREDRAW, FALSE, 0);
    }
    ~SuspendedDrawing() {
        SendMessageW(control_, WM_SETREDRAW, TRUE, 0);
        RedrawWindow(control_, nullptr, nullptr,
                     RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
    }
    SuspendedDrawing(const SuspendedDrawing&) = delete;
    SuspendedDrawing& operator=(const SuspendedDrawing&) = delete;

  private:
    HWND control_;
};

std::u16string toU16(const wchar_t* text) {
    const std::wstring_view view(text);
    return std::u16string(view.begin(), view.end());
}

}  // namespace

MainWindow::MainWindow(HINSTANCE instance, AutomationService& service)
    : instance_(instance), service_(service) {}

MainWindow::~MainWindow() {
    // The controls go before the font, icons and picture they borrow.
    if (hwnd_ != nullptr) {
        DestroyWindow(hwnd_);
    }
}

bool MainWindow::create(int showCommand) {
    if (!registerClass(instance_, &MainWindow::windowProc)) {
        return false;
    }
    // WM_NCCREATE ties the window to this object (and sets hwnd_).
    if (CreateWindowExW(kExStyle, kClassName, kWindowCaption, kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance_,
                        this) == nullptr) {
        return false;
    }

    createControls();
    for (HWND control : controls_) {
        if (control == nullptr) {
            const DWORD code = GetLastError();
            DestroyWindow(hwnd_);
            SetLastError(code);
            return false;
        }
    }

    const UINT dpi = GetDpiForWindow(hwnd_);
    applyDpi(dpi);
    RECT place;
    GetWindowRect(hwnd_, &place);
    fitClientArea(dpi, place.left, place.top);

    focus_ = control(Slot::cmd_lesen);
    ShowWindow(hwnd_, showCommand);
    UpdateWindow(hwnd_);
    SetFocus(focus_);
    return true;
}

void MainWindow::createControls() {
    for (std::size_t i = 0; i < kControls.size(); ++i) {
        const ControlDesign& design = kControls[i];
        const ChildStyle style = childStyle(design.kind);
        DWORD windowStyle = style.style;
        const auto slot = static_cast<Slot>(i);
        // At start only cmd_lesen can be clicked.
        if (design.kind == ControlKind::pushButton && slot != Slot::cmd_lesen) {
            windowStyle |= WS_DISABLED;
        }
        // Created in tab order, which is the order Tab walks them.
        controls_[i] = CreateWindowExW(
            style.exStyle, style.className, design.caption != nullptr ? design.caption : L"",
            windowStyle, 0, 0, 0, 0, hwnd_,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(design.id)), instance_, nullptr);
        if (controls_[i] != nullptr && design.kind == ControlKind::checkBox) {
            SendMessageW(controls_[i], BM_SETCHECK, BST_CHECKED, 0);
        }
    }

    picture_.reset(static_cast<HBITMAP>(LoadImageW(instance_, MAKEINTRESOURCEW(IDB_PICTURE),
                                                   IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    if (picture_) {
        SendMessageW(control(Slot::Image1), STM_SETIMAGE, IMAGE_BITMAP,
                     reinterpret_cast<LPARAM>(picture_.get()));
    }

    list_.emplace(control(Slot::List1));
    states_.emplace(
        hwnd_,
        std::array<HWND, 4>{control(Slot::cmd_lesen), control(Slot::cmd_schreiben),
                            control(Slot::cmd_allemarkieren), control(Slot::cmd_alledemarkieren)},
        std::array<HWND, 3>{control(Slot::Check1), control(Slot::Check2), control(Slot::Check3)});
}

void MainWindow::fitClientArea(UINT dpi, int left, int top) {
    const PixelSize client = clientSize(dpi);
    RECT frame{0, 0, client.width, client.height};
    AdjustWindowRectExForDpi(&frame, kStyle, FALSE, kExStyle, dpi);
    SetWindowPos(hwnd_, nullptr, left, top, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);

    // Where the frame the system actually draws differs from the computed one (its metrics may
    // lag behind a DPI change), correct by the difference once.
    RECT actual;
    GetClientRect(hwnd_, &actual);
    const int missingWidth = client.width - actual.right;
    const int missingHeight = client.height - actual.bottom;
    if (missingWidth != 0 || missingHeight != 0) {
        RECT window;
        GetWindowRect(hwnd_, &window);
        SetWindowPos(hwnd_, nullptr, 0, 0, window.right - window.left + missingWidth,
                     window.bottom - window.top + missingHeight,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void MainWindow::applyDpi(UINT dpi) {
    takeFont(dpi);
    takeIcons(dpi);
    placeControls(dpi);
}

void MainWindow::takeFont(UINT dpi) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    unique_hfont font;
    if (SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi)) {
        font.reset(CreateFontIndirectW(&metrics.lfMessageFont));
    }
    // Stock objects belong to the system.
    const HFONT shown = font ? font.get() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    for (HWND control : controls_) {
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(shown), TRUE);
    }
    // The old font is released only now that no control shows it.
    font_ = std::move(font);
}

void MainWindow::takeIcons(UINT dpi) {
    const auto load = [&](int widthMetric, int heightMetric) {
        return unique_hicon(
            static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(IDI_DRAVOSK), IMAGE_ICON,
                                          GetSystemMetricsForDpi(widthMetric, dpi),
                                          GetSystemMetricsForDpi(heightMetric, dpi), 0)));
    };
    unique_hicon big = load(SM_CXICON, SM_CYICON);
    unique_hicon small = load(SM_CXSMICON, SM_CYSMICON);
    SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big.get()));
    SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small.get()));
    bigIcon_ = std::move(big);
    smallIcon_ = std::move(small);
}

void MainWindow::placeControls(UINT dpi) {
    for (std::size_t i = 0; i < kControls.size(); ++i) {
        const PixelRect rect = toPixels(kControls[i].twips, dpi);
        SetWindowPos(controls_[i], nullptr, rect.left, rect.top, rect.width, rect.height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

bool MainWindow::preTranslate(MSG& message) {
    return hwnd_ != nullptr && IsDialogMessageW(hwnd_, &message) != FALSE;
}

LRESULT CALLBACK MainWindow::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self =
            static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->hwnd_ = hwnd;
    }
    auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self == nullptr) {
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        self->controls_.fill(nullptr);
        self->focus_ = nullptr;
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    return self->handle(message, wParam, lParam);
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
            if (header->code == NM_CUSTOMDRAW && isPushButton(header->hwndFrom)) {
                return drawPushButton(*reinterpret_cast<const NMCUSTOMDRAW*>(lParam));
            }
            return DefWindowProcW(hwnd_, message, wParam, lParam);
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
        case WM_CLOSE:
            // No question, nothing saved, the host untouched. A command that is still running
            // (its message box is open) finishes first.
            if (running_) {
                closeWaiting_ = true;
            } else {
                DestroyWindow(hwnd_);
            }
            return 0;
        case WM_DESTROY:
            PostQuitMessage(exitCode_);
            return 0;
        default:
            return DefWindowProcW(hwnd_, message, wParam, lParam);
    }
}

bool MainWindow::isPushButton(HWND control) const {
    for (Slot slot : {Slot::cmd_lesen, Slot::cmd_schreiben, Slot::cmd_allemarkieren,
                      Slot::cmd_alledemarkieren}) {
        if (control != nullptr && this->control(slot) == control) {
            return true;
        }
    }
    return false;
}

void MainWindow::rememberFocus() {
    const HWND focus = GetFocus();
    if (focus != nullptr && IsChild(hwnd_, focus)) {
        focus_ = focus;
    }
}

void MainWindow::restoreFocus() {
    HWND target = focus_;
    if (target == nullptr || !IsWindowEnabled(target)) {
        target = GetNextDlgTabItem(hwnd_, nullptr, FALSE);
    }
    if (target != nullptr) {
        SetFocus(target);
    }
}

void MainWindow::onClick(HWND button) {
    // One command at a time, and a disabled button runs nothing, however the click was sent.
    if (running_ || !IsWindowEnabled(button)) {
        return;
    }
    for (Slot slot : {Slot::cmd_lesen, Slot::cmd_schreiben, Slot::cmd_allemarkieren,
                      Slot::cmd_alledemarkieren}) {
        if (control(slot) == button) {
            runCommand(slot);
            return;
        }
    }
}

void MainWindow::runCommand(Slot slot) {
    std::optional<Error> failure;
    running_ = true;
    {
        WaitCursor wait;
        // Nothing may unwind through the window procedure: every failure ends here and takes the
        // one error path.
        try {
            // Read and the marking buttons change every line of List1: it is drawn once they
            // are done (also when they fail, before the report). Not around Write, whose message
            // stands over the list while it is open.
            std::optional<SuspendedDrawing> quietList;
            switch (slot) {
                case Slot::cmd_lesen:
                    quietList.emplace(control(Slot::List1));
                    cmd_lesen_Click(service_, *list_, *states_, progress_);
                    break;
                case Slot::cmd_schreiben:
                    cmd_schreiben_Click(service_, *list_, *states_, progress_);
                    break;
                case Slot::cmd_allemarkieren:
                    quietList.emplace(control(Slot::List1));
                    markAll(*list_);
                    break;
                case Slot::cmd_alledemarkieren:
                    quietList.emplace(control(Slot::List1));
                    unmarkAll(*list_);
                    break;
                default:
                    break;
            }
        } catch (const Error& error) {
            failure = error;
        } catch (const std::bad_alloc&) {
            failure =
                Error(kOutOfMemory, u"Nicht genügend Arbeitsspeicher.", toU16(commandName(slot)));
        } catch (const std::exception& error) {
            failure = Error(kUnexpected, fromUtf8(error.what()), toU16(commandName(slot)));
        } catch (...) {
            failure = Error(kUnexpected, u"Unerwarteter Fehler.", toU16(commandName(slot)));
        }
    }
    running_ = false;

    // A failure of Write that did not come as its own Error still names what it had written.
    if (failure && slot == Slot::cmd_schreiben && failure->written().features().empty()) {
        failure->setWritten(progress_.record());
    }
    if (failure) {
        endWithError(*failure);
    } else if (closeWaiting_) {
        DestroyWindow(hwnd_);
    }
}

void MainWindow::endWithError(const Error& error) {
    exitCode_ = 1;
    showErrorReport(hwnd_, error);
    DestroyWindow(hwnd_);
}

}  // namespace dravosk::ui
