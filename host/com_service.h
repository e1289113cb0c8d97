// COM for the user-interface thread (apartment, message filter) and host objects by program id.
#pragma once

#include <windows.h>
// ole2.h needs windows.h first
#include <ole2.h>

#include <memory>

#include "core/host.h"
#include "host/outgoing_calls.h"
#include "win/com.h"

namespace dravosk::host {

// Enters a single-threaded apartment for its life: create one on the user-interface thread before
// any host object and keep it until the last one is gone.
class Apartment : public win::com_apartment {
  public:
    // Raises Error when COM cannot be initialised. A thread already in the multithreaded apartment
    // (RPC_E_CHANGED_MODE) can still make every call needed, so is accepted (and not left either).
    Apartment();
};

// Registers the thread's message filter for its life (the window's), then puts back the one before;
// the thread must be in a single-threaded apartment, and Error is raised if registering fails. The
// filter leaves every decision to the binding: a refused call is handed straight back, so the
// binding's retry (host/outgoing_calls.h) is the one schedule on every platform, and while a call
// waits only painting and the like are handled, never keyboard or mouse input.
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

class ComAutomationService final : public AutomationService {
  public:
    // Creating the object and every call on what it hands out go through `calls`.
    explicit ComAutomationService(
        std::shared_ptr<OutgoingCalls> calls = std::make_shared<OutgoingCalls>());

    // Where the program entry sets the window's watch as the observer of every call.
    OutgoingCalls& calls() noexcept { return *calls_; }

    // The identifier's class, in or out of process as registered, asked for IDispatch; never null.
    // Failures raise Error with `where` naming it, e.g. CreateObject("KORVAN.Application").
    HostObjectPtr createObject(std::u16string_view progId) override;
    void releaseDeferred() noexcept override;

  private:
    std::shared_ptr<OutgoingCalls> calls_;
};

}  // namespace dravosk::host
