// The user-interface thread's message filter, registered for as long as the window lives. It
// leaves every decision to the binding: a call the host refused is handed straight back, so the
// binding's own retry (host/outgoing_calls.h) is the one schedule on every platform, and while a
// call waits only painting and the like are handled, never keyboard or mouse input.
#pragma once

#include <windows.h>
// ole2.h needs windows.h first
#include <ole2.h>

#include "win/com_ptr.h"

namespace dravosk::host {

// Registers the filter on this thread for the life of the object and then puts back whatever
// filter was there before. The thread must be in a single-threaded apartment; raises Error when
// the filter cannot be registered.
class MessageFilterRegistration {
  public:
    MessageFilterRegistration();
    ~MessageFilterRegistration();
    MessageFilterRegistration(const MessageFilterRegistration&) = delete;
    MessageFilterRegistration& operator=(const MessageFilterRegistration&) = delete;

  private:
    win::com_ptr<IMessageFilter> filter_;
    win::com_ptr<IMessageFilter> previous_;
};

}  // namespace dravosk::host
