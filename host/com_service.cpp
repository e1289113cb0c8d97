#include "host/com_service.h"

#include <objbase.h>

#include <string>

#include "core/error.h"
#include "host/com_error.h"
#include "win/com.h"
#include "host/dispatch_object.h"
#include "win/text.h"

namespace dravosk::host {

// No OLE1 DDE window: the program speaks to its host through COM alone.
Apartment::Apartment() : com_apartment(COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE) {
    if (FAILED(result()) && result() != RPC_E_CHANGED_MODE) {
        throw errorFromHresult(result(), u"CoInitializeEx");
    }
}

namespace {

class Filter final : public win::com_object<IMessageFilter> {
  public:
    DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO) override {
        return SERVERCALL_ISHANDLED;
    }

    // Documented answer -1: "the call should be canceled; COM then returns RPC_E_CALL_REJECTED
    // from the original method call". Else Windows would repeat it on the filter's word, a second
    // schedule beside the binding's, doubling the time a busy host is waited for.
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

ComAutomationService::ComAutomationService(std::shared_ptr<OutgoingCalls> calls)
    : calls_(std::move(calls)) {}

HostObjectPtr ComAutomationService::createObject(std::u16string_view progId) {
    const std::u16string where = u"CreateObject(\"" + std::u16string(progId) + u"\")";
    // The system takes it NUL-terminated: an inner NUL would cut it short, maybe to another class.
    if (progId.empty() || progId.find(u'\0') != std::u16string_view::npos) {
        throw errorFromHresult(CO_E_CLASSSTRING, where);
    }
    const std::wstring name = win::wide(progId);
    CLSID clsid{};
    if (const HRESULT hr = ::CLSIDFromProgID(name.c_str(), &clsid); FAILED(hr)) {
        throw errorFromHresult(hr, where);
    }
    HostRef<IDispatch> dispatch(*calls_);
    if (const HRESULT hr = calls_->make(where,
                                        [&] {
                                            return ::CoCreateInstance(clsid, nullptr, CLSCTX_SERVER,
                                                                      IID_IDispatch,
                                                                      dispatch.put_void());
                                        });
        FAILED(hr)) {
        throw errorFromHresult(hr, where);
    }
    if (!dispatch) {
        throw Error(static_cast<std::int32_t>(E_POINTER),
                    u"Das Anwendungsobjekt wurde ohne Schnittstelle geliefert.", where);
    }
    return std::make_unique<DispatchObject>(std::move(dispatch), calls_);
}

void ComAutomationService::releaseDeferred() noexcept {
    calls_->releaseDeferred();
}

}  // namespace dravosk::host
