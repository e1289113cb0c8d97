#include "ui/host_watch.h"

#include <exception>
#include <utility>

namespace dravosk::ui {

namespace {

// Often enough to ask within a quarter of a second of the wait time, seldom enough to cost nothing.
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
    : wait_(wait), ask_(std::move(ask)), giveUp_(std::move(giveUp)) {
    ::InitializeCriticalSection(&commandLock_);
}

HostWatch::~HostWatch() {
    stop();
    ::DeleteCriticalSection(&commandLock_);
}

HostWatch::Session::Session(HostWatch& watch, HWND window) : watch_(watch) {
    watch_.start(window);
}

HostWatch::Session::~Session() {
    watch_.stop();
}

void HostWatch::start(HWND window) {
    stop();
    ::EnterCriticalSection(&commandLock_);
    lockHeld_ = true;
    session_ = true;
    windowAsking_ = window;
    stopHelper_.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!stopHelper_) {
        // Without the helper the host's calls still work; only the question cannot come.
        return;
    }
    const HANDLE stopEvent = stopHelper_.get();
    try {
        helper_ = std::thread([this, stopEvent, window] { watch(stopEvent, window); });
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
    if (lockHeld_) {
        lockHeld_ = false;
        ::LeaveCriticalSection(&commandLock_);
    }
    session_ = false;
}

void HostWatch::watch(HANDLE stopEvent, HWND window) noexcept {
    std::uint64_t sentFor = 0;  // the askAt_ last sent for: each deadline is sent once
    std::uint64_t sentAt = 0;   // when
    while (::WaitForSingleObject(stopEvent, kLookInterval) == WAIT_TIMEOUT) {
        const std::uint64_t call = callOut_.load();
        const std::uint64_t askAt = askAt_.load();
        const std::uint64_t now = ::GetTickCount64();
        if (call == 0 || now < askAt) {
            continue;
        }
        if (askAt != sentFor) {
            sentFor = askAt;
            sentAt = now;
            ::SendNotifyMessageW(window, kAskMessage, static_cast<WPARAM>(call), 0);
        } else if (takenUp_.load() != askAt && now - sentAt >= kTakeUpTime) {
            askFromHelper(call, askAt);
        }
    }
}

void HostWatch::askFromHelper(std::uint64_t call, std::uint64_t askAt) noexcept {
    // Free only while the window's thread is inside a call; else that call ended: nothing to ask.
    if (!::TryEnterCriticalSection(&commandLock_)) {
        return;
    }
    int nobody = kNobody;
    if (callOut_.load() == call && askAt_.load() == askAt &&
        asker_.compare_exchange_strong(nobody, kHelper)) {
        const std::u16string_view member = member_;
        bool waitOn = true;
        try {
            waitOn = ask_(nullptr,
                          std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - since_),
                          member);
        } catch (...) {
            // Could not be put: as on the window's thread, it comes again after another wait time.
        }
        if (waitOn) {
            askAt_.store(ticksAfter(wait_));
        } else {
            try {
                giveUp_(nullptr,
                        std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - since_),
                        member);
            } catch (...) {
            }
            // Not asked about again: the call counts as given up on.
            takenUp_.store(askAt);
        }
        asker_.store(kNobody);
    }
    ::LeaveCriticalSection(&commandLock_);
}

void HostWatch::callStarted(std::u16string_view member) noexcept {
    member_ = member;
    since_ = Clock::now();
    askAt_.store(ticksAfter(wait_));
    callOut_.store(++calls_);
    if (lockHeld_) {
        lockHeld_ = false;
        ::LeaveCriticalSection(&commandLock_);
    }
}

void HostWatch::callEnded() noexcept {
    // Held here while the helper asks: the command goes on only on the operator's word.
    if (session_ && !lockHeld_) {
        ::EnterCriticalSection(&commandLock_);
        lockHeld_ = true;
    }
    callOut_.store(0);
    member_ = {};
}

void HostWatch::onAskMessage(WPARAM call) noexcept {
    // The number travelled in a WPARAM, 32 bits wide in a 32-bit program: compare at that width,
    // or after 2^32 calls the question would never come again.
    if (callOut_.load() == 0 || call != static_cast<WPARAM>(calls_) ||
        ::GetTickCount64() < askAt_.load()) {
        return;
    }
    takenUp_.store(askAt_.load());
    int nobody = kNobody;
    if (!asker_.compare_exchange_strong(nobody, kWindow)) {
        return;  // a question is open
    }
    try {
        ask();
    } catch (...) {
        // Not put: wait on, which changes nothing; it comes again after another wait time.
        asker_.store(kNobody);
        askAt_.store(ticksAfter(wait_));
    }
}

void HostWatch::ask() {
    const auto waited = std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - since_);
    // The member stays valid while the call is out, and the call is out until this returns.
    const std::u16string_view member = member_;
    const bool waitOn = ask_(windowAsking_, waited, member);
    asker_.store(kNobody);
    if (waitOn) {
        askAt_.store(ticksAfter(wait_));
        return;
    }
    giveUp_(windowAsking_, std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - since_),
            member);
}

}  // namespace dravosk::ui
