// The one way out to the host: every call the binding makes (name look-up, property get, method
// call, the enumerator's Next, QueryInterface, the error object's questions, creating the
// application object, and the release of every host object) goes through here, so the observer
// (the window's watch for a host that does not answer) hears of each one, and a refused call is
// sent again on the schedule of host/retry_policy.h.
#pragma once

#include <windows.h>
// ole2.h needs windows.h first
#include <ole2.h>

#include <chrono>
#include <functional>
#include <string_view>
#include <vector>

#include "core/call_observer.h"
#include "win/com_ptr.h"
#include "win/unique_variant.h"

namespace dravosk::host {

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

    // Makes `call` (which returns the call's HRESULT and resets its own out-parameters each
    // time) until the host does not refuse it or the retry limit is reached; returns the last
    // HRESULT. `member` names the call as its error would. The time is measured once, from the
    // first attempt.
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

    // Gives up the reference `object` holds for the caller. Releasing the last reference of a
    // proxy is a call to the host's process, which a hung host does not answer, so it is
    // watched like any call. While an error is on its way to the report (a release made by
    // unwinding), the release is put off instead, so that no host can keep the report from the
    // operator; releaseDeferred makes it later.
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

// Gives what `value` holds back through `calls` when the scope ends.
class ClearedThrough {
  public:
    ClearedThrough(OutgoingCalls& calls, VARIANT& value) noexcept : calls_(calls), value_(value) {}
    ~ClearedThrough() { calls_.clear(value_); }
    ClearedThrough(const ClearedThrough&) = delete;
    ClearedThrough& operator=(const ClearedThrough&) = delete;

  private:
    OutgoingCalls& calls_;
    VARIANT& value_;
};

// Gives the reference `object` holds back through `calls` when the scope ends.
template <class T>
class ReleasedThrough {
  public:
    ReleasedThrough(OutgoingCalls& calls, win::com_ptr<T>& object) noexcept
        : calls_(calls), object_(object) {}
    ~ReleasedThrough() { calls_.release(object_.detach()); }
    ReleasedThrough(const ReleasedThrough&) = delete;
    ReleasedThrough& operator=(const ReleasedThrough&) = delete;

  private:
    OutgoingCalls& calls_;
    win::com_ptr<T>& object_;
};

// Waits for `duration` while the thread's windows keep painting and answering: every queued
// message is handled but keyboard and mouse input, which stays queued (win/message_queue.h), so
// no click or key can change what a running command reads. A quit message that arrives is kept
// for the message loop.
void waitDispatching(std::chrono::milliseconds duration);

}  // namespace dravosk::host
