#include "host/outgoing_calls.h"

#include <utility>

#include "host/retry_policy.h"

namespace dravosk::host {

OutgoingCalls::OutgoingCalls() : OutgoingCalls(&std::chrono::steady_clock::now, &waitDispatching) {}

OutgoingCalls::OutgoingCalls(Clock clock, Pause pause)
    : clock_(std::move(clock)), pause_(std::move(pause)) {}

OutgoingCalls::Attempt::Attempt(CallObserver* observer, std::u16string_view member) noexcept
    : observer_(observer) {
    if (observer_) {
        observer_->callStarted(member);
    }
}

OutgoingCalls::Attempt::~Attempt() {
    if (observer_) {
        observer_->callEnded();
    }
}

bool OutgoingCalls::isRefusedAndWaited(HRESULT hr, std::chrono::steady_clock::time_point start) {
    if (!isRefusal(hr)) {
        return false;
    }
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(clock_() - start);
    const std::optional<std::chrono::milliseconds> pause = retryPause(elapsed);
    if (!pause) {
        return false;
    }
    pause_(*pause);
    return true;
}

void waitDispatching(std::chrono::milliseconds duration) {
    const ULONGLONG end = ::GetTickCount64() + static_cast<ULONGLONG>(duration.count());
    bool quit = false;
    WPARAM quitCode = 0;
    for (ULONGLONG now = ::GetTickCount64(); now < end; now = ::GetTickCount64()) {
        const auto left = static_cast<DWORD>(end - now);
        if (quit) {
            // The loop that owns the quit message is not running: no more dispatching here.
            ::Sleep(left);
            continue;
        }
        ::MsgWaitForMultipleObjectsEx(0, nullptr, left, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        MSG message;
        while (!quit && ::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                quit = true;
                quitCode = message.wParam;
                break;
            }
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }
    if (quit) {
        ::PostQuitMessage(static_cast<int>(quitCode));
    }
}

}  // namespace dravosk::host
