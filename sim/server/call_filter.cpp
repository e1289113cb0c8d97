#include "sim/server/call_filter.h"

#include <oaidl.h>
#include <objbase.h>

namespace dravosk::sim::server {

DWORD CallFilter::HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO info) {
    const bool hostInterface =
        info && (IsEqualIID(info->iid, IID_IDispatch) || IsEqualIID(info->iid, IID_IEnumVARIANT));
    if (hostInterface && state_.rejecting()) {
        state_.countRoundTrip("Rejected", {});
        return SERVERCALL_REJECTED;
    }
    return SERVERCALL_ISHANDLED;
}

DWORD CallFilter::RetryRejectedCall(HTASK, DWORD, DWORD) {
    return static_cast<DWORD>(-1);  // give up at once
}

DWORD CallFilter::MessagePending(HTASK, DWORD, DWORD) {
    return PENDINGMSG_WAITDEFPROCESS;
}

FilterRegistration::FilterRegistration(IMessageFilter* filter)
    : result_(CoRegisterMessageFilter(filter, &previous_)) {}

FilterRegistration::~FilterRegistration() {
    if (SUCCEEDED(result_)) {
        IMessageFilter* ours = nullptr;
        CoRegisterMessageFilter(previous_, &ours);
        if (previous_) {
            previous_->Release();
        }
        if (ours) {
            ours->Release();
        }
    }
}

}  // namespace dravosk::sim::server
