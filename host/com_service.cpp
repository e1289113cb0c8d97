#include "host/com_service.h"

#include <objbase.h>

#include <string>

#include "core/error.h"
#include "host/com_error.h"
#include "win/com_ptr.h"
#include "host/dispatch_object.h"
#include "host/hresult_text.h"
#include "win/text.h"

namespace dravosk::host {

// No OLE1 DDE window: the program speaks to its host through COM alone.
Apartment::Apartment() : com_apartment(COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE) {
    if (FAILED(result()) && result() != RPC_E_CHANGED_MODE) {
        throw errorFromHresult(result(), u"CoInitializeEx");
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
    const std::wstring name = win::wide(progId);
    CLSID clsid{};
    if (const HRESULT hr = ::CLSIDFromProgID(name.c_str(), &clsid); FAILED(hr)) {
        // Not found: a program run with administrative rights may not see a registration made
        // for the user alone, as COM then reads only the per-machine classes ("Merged View of
        // HKEY_CLASSES_ROOT").
        throw Error(static_cast<std::int32_t>(hr),
                    describeHresult(hr) + u" " + std::u16string(kElevationHint), where);
    }
    win::com_ptr<IDispatch> dispatch;
    if (const HRESULT hr = calls_->make(where,
                                        [&] {
                                            return ::CoCreateInstance(clsid, nullptr, CLSCTX_SERVER,
                                                                      IID_IDispatch,
                                                                      dispatch.put_void());
                                        });
        FAILED(hr)) {
        // Registered but not reached: it may be running at another elevation.
        throw Error(static_cast<std::int32_t>(hr),
                    describeHresult(hr) + u" " + std::u16string(kElevationHint), where);
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
