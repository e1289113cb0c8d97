#include "ui/front_window.h"

namespace dravosk::ui {

namespace {

// The window whose taskbar button stands for `window`: its top owner.
HWND taskbarWindow(HWND window) noexcept {
    const HWND top = ::GetAncestor(window, GA_ROOTOWNER);
    return top != nullptr ? top : window;
}

bool anotherProgramInFront() noexcept {
    const HWND foreground = ::GetForegroundWindow();
    DWORD process = 0;
    if (foreground != nullptr) {
        ::GetWindowThreadProcessId(foreground, &process);
    }
    return process != ::GetCurrentProcessId();
}

void flash(HWND window, DWORD flags) noexcept {
    FLASHWINFO info{};
    info.cbSize = sizeof info;
    info.hwnd = window;
    info.dwFlags = flags;
    ::FlashWindowEx(&info);
}

}  // namespace

void bringToFront(HWND box) noexcept {
    ::SetWindowPos(box, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ::SetForegroundWindow(box);
    if (::GetForegroundWindow() != box && anotherProgramInFront()) {
        flash(taskbarWindow(box), FLASHW_TRAY | FLASHW_TIMERNOFG);
    }
}

void flashIfInBackground(HWND owner) noexcept {
    if (owner != nullptr && anotherProgramInFront()) {
        flash(taskbarWindow(owner), FLASHW_TRAY | FLASHW_TIMERNOFG);
    }
}

void stopFlashing(HWND window) noexcept {
    if (window != nullptr) {
        flash(taskbarWindow(window), FLASHW_STOP);
    }
}

}  // namespace dravosk::ui
