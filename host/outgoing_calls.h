// The one way out to the host: every call of the binding (look-up, get, method call, Next,
// QueryInterface, the error object's questions, CreateObject, every release) goes through here, so
// the observer (the window's watch for a hung host) hears of each. The message filter hands every
// refusal back (host/com_service.h), so this loop alone waits and resends, on every platform, on
// one schedule; a refused call was not carried out, so sending it again is safe.
#pragma once

#include <windows.h>
// ole2.h needs windows.h first
#include <ole2.h>

#include <chrono>
#include <functional>
#include <string_view>
#include <utility>
#include <vector>

#include "core/host.h"
#include "win/com.h"

namespace dravosk::host {

// RPC_E_CALL_REJECTED and RPC_E_SERVERCALL_RETRYLATER: the host is busy and did not run the call.
bool isRefusal(HRESULT hr) noexcept;

class OutgoingCalls {
  public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;
    using Pause = std::function<void(std::chrono::milliseconds)>;

    // The steady clock, and a pause that keeps the thread's windows painting (waitDispatching).
    OutgoingCalls();
    // For tests: a clock and a pause of their own, so no test waits.
    OutgoingCalls(Clock clock, Pause pause);
    // Releases what was put off (releaseDeferred).
    ~OutgoingCalls();

    OutgoingCalls(const OutgoingCalls&) = delete;
    OutgoingCalls& operator=(const OutgoingCalls&) = delete;

    // Told of every attempt; null for none. The observer must outlive the calls it sees.
    void setObserver(CallObserver* observer) noexcept { observer_ = observer; }

    // Makes `call` (returning its HRESULT, resetting its own out-parameters each time) until the
    // host does not refuse it or the retry limit, timed from the first attempt, is reached;
    // returns the last HRESULT. `member` names the call as its error would.
    template <class Call>
    HRESULT make(std::u16string_view member, Call&& call) {
        const auto start = clock_();
        for (;;) {
            HRESULT hr;
            {
                const Attempt attempt(observer_, member);
                hr = call();
            }
            if (!isRefusedAndWaited(hr, start)) {
                return hr;
            }
        }
    }

    // Gives up the reference `object` holds for the caller. Releasing a proxy's last reference is
    // a call to the host's process, which a hung host does not answer, so it is watched. While an
    // error is on its way to the report (a release made by unwinding) it is put off instead, so no
    // host can keep the report from the operator; releaseDeferred makes it later.
    void release(IUnknown* object) noexcept;
    // The same for whatever objects `value` holds; `value` is empty afterwards.
    void clear(VARIANT& value) noexcept;
    // Makes the releases that were put off, each watched.
    void releaseDeferred() noexcept;

  private:
    class Attempt {
      public:
        Attempt(CallObserver* observer, std::u16string_view member) noexcept;
        ~Attempt();
        Attempt(const Attempt&) = delete;
        Attempt& operator=(const Attempt&) = delete;

      private:
        CallObserver* observer_;
    };

    // True after the pause when `hr` is a refusal with time left to send the call again.
    bool isRefusedAndWaited(HRESULT hr, std::chrono::steady_clock::time_point start);

    Clock clock_;
    Pause pause_;
    CallObserver* observer_ = nullptr;
    std::vector<win::unique_variant> deferred_;
};

// Gives a reference back through the calls.
struct ReleasedThrough {
    ReleasedThrough(OutgoingCalls& through) noexcept : calls(&through) {}
    void operator()(IUnknown* object) const noexcept { calls->release(object); }
    OutgoingCalls* calls;
};

// One reference to a host object, given back through the calls (watched, put off while a failure
// unwinds), never by a plain Release; every reference the binding obtains is held in one.
template <class T>
using HostRef = win::com_ptr<T, ReleasedThrough>;

// A value from the host: what objects it holds go back through the calls, as a HostRef's.
class HostValue {
  public:
    explicit HostValue(OutgoingCalls& calls) noexcept : calls_(calls) { ::VariantInit(&v_); }
    HostValue(HostValue&& other) noexcept : calls_(other.calls_), v_(other.v_) {
        ::VariantInit(&other.v_);
    }
    HostValue& operator=(HostValue&&) = delete;
    ~HostValue() { calls_.clear(v_); }

    VARTYPE vt() const noexcept { return v_.vt; }
    const VARIANT& get() const noexcept { return v_; }
    VARIANT* addressof() noexcept { return &v_; }
    // For out-parameters: gives the old contents back first.
    VARIANT* reset_and_addressof() noexcept {
        calls_.clear(v_);
        return &v_;
    }

  private:
    OutgoingCalls& calls_;
    VARIANT v_;
};

// Waits `duration` while the thread's windows keep painting and answering: every queued message
// but keyboard and mouse input (left queued, win/message_queue.h) is handled, so no click or key
// can change what a running command reads. A quit message is kept for the message loop.
void waitDispatching(std::chrono::milliseconds duration);

}  // namespace dravosk::host
