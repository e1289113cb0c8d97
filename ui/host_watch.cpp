#include "ui/host_watch.h"

#include <exception>
#include <utility>

namespace dravosk::ui {

namespace {

// Often enough that the question comes within half a second of the wait time, seldom enough to
// cost nothing.
constexpr DWORD kLookInterval = 250;  // ms

std::uint64_t ticksAfter(std::chrono::seconds wait) {
    return ::GetTickCount64() + static_cast<std::uint64_t>(wait.count()) * 1000u;
}

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

HostWatch::HostWatch(std::chrono::seconds wait, Ask ask, GiveUp giveUp)
    : wait_(wait), ask_(std::move(ask)), giveUp_(std::move(giveUp)) {}

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
        // Without the helper the host's calls still work; only the question cannot come.
        return;
    }
    const HANDLE stopEvent = stopHelper_.get();
    try {
        helper_ = std::thread([this, stopEvent, window] {
            std::uint64_t sentFor = 0;  // the askAt_ last sent for: each deadline is sent once
            while (::WaitForSingleObject(stopEvent, kLookInterval) == WAIT_TIMEOUT) {
                const std::uint64_t call = callOut_.load();
                const std::uint64_t askAt = askAt_.load();
                if (call != 0 && askAt != sentFor && ::GetTickCount64() >= askAt) {
                    sentFor = askAt;
                    ::SendNotifyMessageW(window, kAskMessage, static_cast<WPARAM>(call), 0);
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

void HostWatch::callStarted(std::u16string_view member) noexcept {
    member_ = member;
    since_ = Clock::now();
    askAt_.store(ticksAfter(wait_));
    callOut_.store(++calls_);
}

void HostWatch::callEnded() noexcept {
    callOut_.store(0);
    member_ = {};
}

void HostWatch::onAskMessage(WPARAM call) noexcept {
    // The number travelled in a WPARAM, 32 bits wide in a 32-bit program: compare at that width,
    // or after 2^32 calls the question would never come again.
    if (asking_ || callOut_.load() == 0 || call != static_cast<WPARAM>(calls_) ||
        ::GetTickCount64() < askAt_.load()) {
        return;
    }
    try {
        ask();
    } catch (...) {
        // The question could not be put: waiting on is the answer that changes nothing, and
        // the question comes again after another wait time.
        asking_ = false;
        askAt_.store(ticksAfter(wait_));
    }
}

void HostWatch::ask() {
    const auto waited = std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - since_);
    // The member stays valid while the call is out, and the call is out until this returns.
    const std::u16string_view member = member_;
    asking_ = true;
    const bool waitOn = ask_(waited, member);
    asking_ = false;
    if (waitOn) {
        // Asked again only after another full wait without an answer.
        askAt_.store(ticksAfter(wait_));
        return;
    }
    giveUp_(std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - since_), member);
}

}  // namespace dravosk::ui
