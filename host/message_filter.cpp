#include "host/message_filter.h"

#include <chrono>

#include "host/com_error.h"
#include "host/retry_policy.h"
#include "win/com_object.h"

namespace dravosk::host {

namespace {

class Filter final : public win::com_object<IMessageFilter> {
  public:
    explicit Filter(CallWaitHandler& handler) : handler_(handler) {}

    DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO) override {
        return SERVERCALL_ISHANDLED;
    }

    DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK, DWORD dwTickCount,
                                              DWORD dwRejectType) override {
        const DWORD answer = retryAnswer(dwTickCount, dwRejectType);
        if (answer != static_cast<DWORD>(-1)) {
            handler_.callRefused();
        }
        return answer;
    }

    DWORD STDMETHODCALLTYPE MessagePending(HTASK, DWORD, DWORD) override {
        handler_.callWaiting();
        // Paints and sent messages are handled, input waits until the call is back.
        return PENDINGMSG_WAITDEFPROCESS;
    }

  private:
    CallWaitHandler& handler_;
};

}  // namespace

DWORD retryAnswer(DWORD elapsedMilliseconds, DWORD rejectType) noexcept {
    if (rejectType != SERVERCALL_REJECTED && rejectType != SERVERCALL_RETRYLATER) {
        return static_cast<DWORD>(-1);
    }
    const auto pause = retryPause(std::chrono::milliseconds(elapsedMilliseconds));
    return pause ? static_cast<DWORD>(pause->count()) : static_cast<DWORD>(-1);
}

MessageFilterRegistration::MessageFilterRegistration(CallWaitHandler& handler) {
    auto* filter = new Filter(handler);
    const HRESULT hr = ::CoRegisterMessageFilter(filter, &previous_);
    // The runtime holds its own reference while the filter is registered.
    filter->Release();
    if (FAILED(hr)) {
        throw errorFromHresult(hr, u"CoRegisterMessageFilter");
    }
}

MessageFilterRegistration::~MessageFilterRegistration() {
    ::CoRegisterMessageFilter(previous_, nullptr);
    if (previous_ != nullptr) {
        previous_->Release();
    }
}

}  // namespace dravosk::host
