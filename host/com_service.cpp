#include "host/com_service.h"

#include <objbase.h>

#include <string>

#include "core/error.h"
#include "host/com_error.h"
#include "host/com_ptr.h"
#include "host/dispatch_object.h"

namespace dravosk::com {

Apartment::Apartment() {
    const HRESULT hr = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (hr == RPC_E_CHANGED_MODE) {
        return;
    }
    if (FAILED(hr)) {
        throw errorFromHresult(hr, u"CoInitializeEx");
    }
    mustUninitialize_ = true;  // S_OK and S_FALSE both count and must be balanced
}

Apartment::~Apartment() {
    if (mustUninitialize_) {
        ::CoUninitialize();
    }
}

ComAutomationService::ComAutomationService(std::shared_ptr<OutgoingCalls> calls)
    : calls_(calls ? std::move(calls) : std::make_shared<OutgoingCalls>()) {}

HostObjectPtr ComAutomationService::createObject(std::u16string_view progId) {
    const std::u16string where = u"CreateObject(\"" + std::u16string(progId) + u"\")";
    // The identifier goes to the system NUL-terminated; one with a NUL inside would be cut short
    // and could name a different class.
    if (progId.empty() || progId.find(u'\0') != std::u16string_view::npos) {
        throw errorFromHresult(CO_E_CLASSSTRING, where);
    }
    const std::wstring name(progId.begin(), progId.end());
    CLSID clsid{};
    if (const HRESULT hr = ::CLSIDFromProgID(name.c_str(), &clsid); FAILED(hr)) {
        throw errorFromHresult(hr, where);
    }
    com_ptr<IDispatch> dispatch;
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

}  // namespace dravosk::com
