#include "host/message_filter.h"

#include "host/com_error.h"
#include "win/com_object.h"

namespace dravosk::host {

namespace {

class Filter final : public win::com_object<IMessageFilter> {
  public:
    DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO) override {
        return SERVERCALL_ISHANDLED;
    }

    // Documented answer -1: "the call should be canceled; COM then returns RPC_E_CALL_REJECTED
    // from the original method call". With a filter registered, Windows would otherwise repeat
    // the call on the filter's word, and a second schedule beside the binding's would double the
    // time a busy host is waited for.
    DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK, DWORD, DWORD) override {
        return static_cast<DWORD>(-1);
    }

    // Documented for PENDINGMSG_WAITDEFPROCESS: keyboard and mouse messages are not dispatched
    // (some are discarded), WM_PAINT is, and task switching and activation work as before. So
    // no input reaches the window while a call waits, and the window keeps painting.
    DWORD STDMETHODCALLTYPE MessagePending(HTASK, DWORD, DWORD) override {
        return PENDINGMSG_WAITDEFPROCESS;
    }
};

}  // namespace

MessageFilterRegistration::MessageFilterRegistration()
    : filter_(win::com_ptr<IMessageFilter>::attach(new Filter)) {
    // Documented: S_OK when the filter was registered, S_FALSE otherwise; only S_OK counts.
    const HRESULT hr = ::CoRegisterMessageFilter(filter_.get(), previous_.put());
    if (hr != S_OK) {
        throw errorFromHresult(hr == S_FALSE ? E_FAIL : hr, u"CoRegisterMessageFilter");
    }
}

MessageFilterRegistration::~MessageFilterRegistration() {
    win::com_ptr<IMessageFilter> ours;
    ::CoRegisterMessageFilter(previous_.get(), ours.put());
}

}  // namespace dravosk::host
