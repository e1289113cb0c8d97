#include "host/outgoing_calls.h"

#include <algorithm>
#include <exception>
#include <optional>
#include <utility>

#include "win/message_queue.h"

namespace dravosk::host {

namespace {

constexpr std::u16string_view kRelease = u"Release";

// True when `value` may hold a reference to an object: releasing it may call the host.
bool holdsReferences(const VARIANT& value) noexcept {
    if ((value.vt & VT_BYREF) != 0) {
        return false;  // borrowed, nothing is released
    }
    if ((value.vt & VT_ARRAY) != 0) {
        return true;
    }
    switch (value.vt & VT_TYPEMASK) {
        case VT_DISPATCH:
        case VT_UNKNOWN:
        case VT_VARIANT:
        case VT_RECORD:
            return true;
        default:
            return false;
    }
}

// Retried for at most this long from the first send, then the refusal is the call's failure. No
// pause is shorter than kShortestPause: that would only add refused round trips.
constexpr std::chrono::milliseconds kRetryLimit{60'000};
constexpr std::chrono::milliseconds kShortestPause{100};

// The pause before retrying a call first sent `elapsed` ago: 100, 200, 400, 800 ms, then 1 s each,
// the last cut to end on the limit; nullopt once less than kShortestPause is left.
std::optional<std::chrono::milliseconds> retryPause(std::chrono::milliseconds elapsed) noexcept {
    using std::chrono::milliseconds;
    const milliseconds left = kRetryLimit - elapsed;
    if (left < kShortestPause) {
        return std::nullopt;
    }
    // Reckoned from the time gone by, not a count of attempts: the pause doubles while the time
    // since the first attempt is within the pauses so far (0, 100, 300, 700 ms), then stays 1 s.
    milliseconds pause{1000};
    milliseconds sum{0};
    for (milliseconds step :
         {milliseconds{100}, milliseconds{200}, milliseconds{400}, milliseconds{800}}) {
        sum += step;
        if (elapsed < sum) {
            pause = step;
            break;
        }
    }
    return std::min(pause, left);
}

}  // namespace

bool isRefusal(HRESULT hr) noexcept {
    return hr == RPC_E_CALL_REJECTED || hr == RPC_E_SERVERCALL_RETRYLATER;
}

OutgoingCalls::OutgoingCalls() : OutgoingCalls(&std::chrono::steady_clock::now, &waitDispatching) {}

OutgoingCalls::OutgoingCalls(Clock clock, Pause pause)
    : clock_(std::move(clock)), pause_(std::move(pause)) {}

OutgoingCalls::~OutgoingCalls() {
    releaseDeferred();
}

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

void OutgoingCalls::release(IUnknown* object) noexcept {
    if (object == nullptr) {
        return;
    }
    VARIANT value;
    ::VariantInit(&value);
    value.vt = VT_UNKNOWN;
    value.punkVal = object;
    clear(value);
}

void OutgoingCalls::clear(VARIANT& value) noexcept {
    if (!holdsReferences(value)) {
        ::VariantClear(&value);
        ::VariantInit(&value);
        return;
    }
    if (std::uncaught_exceptions() > 0) {
        try {
            win::unique_variant kept;
            *kept.addressof() = value;
            ::VariantInit(&value);
            deferred_.push_back(std::move(kept));
            return;
        } catch (...) {
            // No room to keep it: left to the process's end, not risking a wait before the report.
            ::VariantInit(&value);
            return;
        }
    }
    const Attempt attempt(observer_, kRelease);
    ::VariantClear(&value);
    ::VariantInit(&value);
}

void OutgoingCalls::releaseDeferred() noexcept {
    while (!deferred_.empty()) {
        win::unique_variant value = std::move(deferred_.back());
        deferred_.pop_back();
        const Attempt attempt(observer_, kRelease);
        value.reset();
    }
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
        // Wakes for sent messages, posted ones and painting; input stays queued and does not
        // wake it (it is not taken, so it would wake the wait again at once).
        ::MsgWaitForMultipleObjectsEx(0, nullptr, left, QS_SENDMESSAGE | QS_POSTMESSAGE | QS_PAINT,
                                      0);
        MSG message;
        while (!quit && win::takeMessageButInput(message)) {
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
