// The one way out to the host: every call the binding makes (name look-up, property get, method
// call, the enumerator's Next, creating the application object) goes through make(), which sends
// a refused call again on the schedule of host/retry_policy.h and tells the observer when each
// attempt goes out and comes back.
#pragma once

#include <windows.h>
// ole2.h needs windows.h first
#include <ole2.h>

#include <chrono>
#include <functional>
#include <string_view>

#include "core/call_observer.h"

namespace dravosk::host {

class OutgoingCalls {
  public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;
    using Pause = std::function<void(std::chrono::milliseconds)>;

    // The steady clock, and a pause that keeps the thread's windows answering (waitDispatching).
    OutgoingCalls();
    // For tests: a clock and a pause of their own, so no test waits.
    OutgoingCalls(Clock clock, Pause pause);

    OutgoingCalls(const OutgoingCalls&) = delete;
    OutgoingCalls& operator=(const OutgoingCalls&) = delete;

    // Told of every attempt; null for none. The observer must outlive the calls it sees.
    void setObserver(CallObserver* observer) noexcept { observer_ = observer; }

    // Makes `call` (which returns the call's HRESULT and resets its own out-parameters each
    // time) until the host does not refuse it or kRetryLimit has passed since the first attempt;
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
};

// Waits for `duration` while dispatching the thread's messages, so its windows keep painting and
// answering. A quit message that arrives is kept for the message loop.
void waitDispatching(std::chrono::milliseconds duration);

}  // namespace dravosk::host
