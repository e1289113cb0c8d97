// The user-interface thread's message filter: the platform's runtime asks it what to do with a
// call the host refused, and tells it of every message that arrives while a call waits for the
// host. Windows asks both; Wine 8 never asks about a refused call (the binding's own retry in
// host/outgoing_calls.h covers that) and tells of a waiting message only when one is sent or
// posted to the thread, or a window needs painting.
#pragma once

#include <windows.h>
// ole2.h needs windows.h first
#include <ole2.h>

namespace dravosk::host {

// What the filter passes on, on the user-interface thread.
class CallWaitHandler {
  public:
    virtual ~CallWaitHandler() = default;
    // The host refused the call out now; it is sent again after a pause. The host answers, it
    // only is busy.
    virtual void callRefused() noexcept = 0;
    // A message arrived while the call out now waits for the host.
    virtual void callWaiting() noexcept = 0;
};

// Registers the filter on this thread for the life of the object and then puts back whatever
// filter was there before. The thread must be in a single-threaded apartment; raises Error when
// the filter cannot be registered. `handler` must outlive the object.
class MessageFilterRegistration {
  public:
    explicit MessageFilterRegistration(CallWaitHandler& handler);
    ~MessageFilterRegistration();
    MessageFilterRegistration(const MessageFilterRegistration&) = delete;
    MessageFilterRegistration& operator=(const MessageFilterRegistration&) = delete;

  private:
    IMessageFilter* previous_ = nullptr;
};

// The filter's answer to the platform's RetryRejectedCall: the pause in milliseconds before the
// call is sent again, on the binding's schedule (host/retry_policy.h), or -1 to give up.
DWORD retryAnswer(DWORD elapsedMilliseconds, DWORD rejectType) noexcept;

}  // namespace dravosk::host
