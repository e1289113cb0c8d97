// The server's message filter: while the server state says the host is busy, incoming calls on
// the host's interfaces (IDispatch, IEnumVARIANT) are refused with SERVERCALL_REJECTED, which
// reaches the caller as RPC_E_CALL_REJECTED. Every other call, the releases among them, is served.
#pragma once

#include <objidl.h>

#include "sim/server/server_state.h"
#include "sim/server/scoped_object.h"

namespace dravosk::sim::server {

class CallFilter final : public com_scoped_object<IMessageFilter> {
  public:
    explicit CallFilter(ServerState& state) : state_(state) {}

    DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD type, HTASK caller, DWORD tickCount,
                                               LPINTERFACEINFO info) override;
    // The server makes no calls of its own: nothing to retry or wait for.
    DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK callee, DWORD tickCount,
                                              DWORD rejectType) override;
    DWORD STDMETHODCALLTYPE MessagePending(HTASK callee, DWORD tickCount,
                                           DWORD pendingType) override;

  private:
    ServerState& state_;
};

// CoRegisterMessageFilter on the calling thread (an STA) for the life of this object; the filter
// that was there before comes back at its end.
class FilterRegistration {
  public:
    explicit FilterRegistration(IMessageFilter* filter);
    FilterRegistration(const FilterRegistration&) = delete;
    FilterRegistration& operator=(const FilterRegistration&) = delete;
    ~FilterRegistration();

    HRESULT result() const { return result_; }

  private:
    HRESULT result_;
    IMessageFilter* previous_ = nullptr;
};

}  // namespace dravosk::sim::server
