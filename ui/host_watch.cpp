#include "ui/host_watch.h"

#include <exception>
#include <utility>

#include "core/text.h"

namespace dravosk::ui {

namespace {

// Often enough that the question comes within half a second of the wait time, seldom enough to
// cost nothing.
constexpr DWORD kWakeInterval = 500;  // ms

}  // namespace

std::optional<std::chrono::seconds> parseWaitSeconds(std::wstring_view text) {
    if (text.empty() || text.size() > 4) {
        return std::nullopt;
    }
    long long seconds = 0;
    for (const wchar_t c : text) {
        if (c < L'0' || c > L'9') {
            return std::nullopt;
        }
        seconds = seconds * 10 + (c - L'0');
    }
    if (seconds < 1 || seconds > kLongestWait.count()) {
        return std::nullopt;
    }
    return std::chrono::seconds(seconds);
}

HostWatch::HostWatch(const CommandProgress& progress, std::chrono::seconds wait, Ask ask,
                     GiveUp giveUp)
    : progress_(progress), wait_(wait), ask_(std::move(ask)), giveUp_(std::move(giveUp)) {}

HostWatch::~HostWatch() {
    stop();
}

HostWatch::Session::Session(HostWatch& watch, HWND window) : watch_(watch) {
    watch_.start(window);
}

HostWatch::Session::~Session() {
    watch_.stop();
}

void HostWatch::start(HWND window) {
    stop();
    stopHelper_.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!stopHelper_) {
        // Without the helper the host's calls still work; only the question cannot come on a
        // platform that needs the wake-up.
        return;
    }
    const HANDLE stopEvent = stopHelper_.get();
    try {
        helper_ = std::thread([this, stopEvent, window] {
            // A message that does nothing: it only makes the platform's wait look at the queue.
            while (::WaitForSingleObject(stopEvent, kWakeInterval) == WAIT_TIMEOUT) {
                if (callOut_.load(std::memory_order_relaxed)) {
                    ::PostMessageW(window, WM_NULL, 0, 0);
                }
            }
        });
    } catch (const std::exception&) {
        stopHelper_.reset();
    }
}

void HostWatch::stop() noexcept {
    if (helper_.joinable()) {
        ::SetEvent(stopHelper_.get());
        helper_.join();
    }
    stopHelper_.reset();
}

void HostWatch::callStarted(std::u16string_view) noexcept {
    since_ = Clock::now();
    askAt_ = since_ + wait_;
    callOut_.store(true, std::memory_order_relaxed);
}

void HostWatch::callEnded() noexcept {
    callOut_.store(false, std::memory_order_relaxed);
}

void HostWatch::callRefused() noexcept {
    // A refusal is an answer: the host is busy, not hanging, and the retry has its own limit.
    since_ = Clock::now();
    askAt_ = since_ + wait_;
}

void HostWatch::callWaiting() noexcept {
    if (!callOut_.load(std::memory_order_relaxed) || asking_ || Clock::now() < askAt_) {
        return;
    }
    try {
        ask();
    } catch (...) {
        // Nothing may unwind into the platform's wait; the call simply goes on waiting and the
        // question comes again after another wait time.
        asking_ = false;
        askAt_ = Clock::now() + wait_;
    }
}

void HostWatch::ask() {
    const std::optional<std::u16string> step = progress_.callInFlight();
    const auto waited = std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - since_);
    asking_ = true;
    const bool waitOn = ask_(waited, step.value_or(std::u16string()));
    asking_ = false;
    if (waitOn) {
        // Asked again only after another full wait without an answer.
        askAt_ = Clock::now() + wait_;
        return;
    }
    const auto total = std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - since_);
    giveUp_(progress_.abandoned(static_cast<std::int32_t>(RPC_E_CALL_CANCELED),
                                u"Der Aufruf wurde abgebrochen: Korvane hat " +
                                    decimal(total.count()) + u" s lang nicht geantwortet."));
}

}  // namespace dravosk::ui
