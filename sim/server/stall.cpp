#include "sim/server/stall.h"

#include <algorithm>
#include <utility>

namespace dravosk::sim::server {

void Stall::hold(std::u16string_view member, std::optional<std::chrono::milliseconds> duration) {
    // Calls are not served while one is held, so holds do not nest; should one ever, the outer
    // hold is kept as it was.
    auto outer = std::exchange(held_, std::u16string(member));
    const bool outerReleased = std::exchange(released_, false);
    std::optional<std::chrono::steady_clock::time_point> deadline;
    if (duration) {
        deadline = std::chrono::steady_clock::now() + *duration;
    }
    serve(deadline);
    held_ = std::move(outer);
    released_ = outerReleased;
}

std::optional<std::u16string> Stall::release() {
    if (!held_ || released_) {
        return std::nullopt;
    }
    released_ = true;
    return held_;
}

void Stall::serve(std::optional<std::chrono::steady_clock::time_point> deadline) {
    // Each look at the queue counts every message in it as seen, also those it leaves there, and
    // the wait below wakes only for messages not yet seen: one posted between two looks would not
    // wake it. So it looks again at least this often.
    constexpr DWORD kLookAgainMs = 100;
    for (;;) {
        MSG message;
        // Only the window's own messages: the COM runtime's window, which brings incoming calls,
        // is left alone.
        if (const HWND window = window_ ? window_() : nullptr) {
            while (PeekMessageW(&message, window, 0, 0, PM_REMOVE)) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
        }
        // Runs the control channel's requests, which it sends to this thread.
        PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        if (PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
            PostQuitMessage(static_cast<int>(message.wParam));  // for the main loop
            return;
        }
        if (released_) {
            return;
        }
        DWORD timeout = kLookAgainMs;
        if (deadline) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(
                *deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) {
                return;
            }
            timeout = static_cast<DWORD>(std::min<long long>(left.count(), kLookAgainMs));
        }
        MsgWaitForMultipleObjectsEx(0, nullptr, timeout, QS_ALLINPUT, 0);
    }
}

}  // namespace dravosk::sim::server
