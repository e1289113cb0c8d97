// The platform side of the host interface: COM for the user-interface thread, and host application
// objects created by program identifier.
#pragma once

#include <windows.h>
// ole2.h needs windows.h first
#include <ole2.h>

#include <memory>

#include "core/host.h"
#include "host/outgoing_calls.h"
#include "win/com_apartment.h"

namespace dravosk::host {

// Enters a single-threaded apartment for the life of this object. Create one on the user-interface
// thread before any host object and keep it until the last one is gone.
class Apartment : public win::com_apartment {
  public:
    // Raises Error when COM cannot be initialised at all. A thread already in the multithreaded
    // apartment (RPC_E_CHANGED_MODE) can still make every call the tool needs, so that is accepted
    // (and, not entered here, not left either).
    Apartment();
};

class ComAutomationService final : public AutomationService {
  public:
    // Creating the object and every call on what it hands out go through `calls` (a default one
    // when null).
    explicit ComAutomationService(std::shared_ptr<OutgoingCalls> calls = nullptr);

    // Where the window sets its observer.
    OutgoingCalls& calls() noexcept { return *calls_; }

    // The program identifier's class, created in or out of process (whatever the host
    // registered), asked for IDispatch. Never returns null; failures raise Error with `where`
    // naming the identifier, e.g. CreateObject("KORVAN.Application").
    HostObjectPtr createObject(std::u16string_view progId) override;
    void releaseDeferred() noexcept override;

  private:
    std::shared_ptr<OutgoingCalls> calls_;
};

}  // namespace dravosk::host
