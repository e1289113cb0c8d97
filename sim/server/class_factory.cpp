#include "sim/server/class_factory.h"

#include <objbase.h>

#include <new>

#include "core/error.h"
#include "sim/server/class_id.h"
#include "sim/server/host_objects.h"
#include "win/com.h"

namespace dravosk::sim::server {

HRESULT ClassFactory::CreateInstance(IUnknown* outer, REFIID riid, void** object) {
    state_.countRoundTrip("CreateInstance", {});
    if (!object) {
        return E_POINTER;
    }
    *object = nullptr;
    if (outer) {
        return CLASS_E_NOAGGREGATION;
    }
    try {
        const ObjectRef app = state_.model().createApplication();
        auto created = win::com_ptr<IDispatch>::attach(newHostObject(state_, app));
        return created->QueryInterface(riid, object);
    } catch (const Error& error) {
        // Creation can only answer with an HRESULT: the injected number, if it is a failure.
        const auto number = static_cast<HRESULT>(error.number());
        return FAILED(number) ? number : E_FAIL;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT ClassFactory::LockServer(BOOL lock) {
    if (lock) {
        state_.lock();
    } else {
        state_.unlock();
    }
    return S_OK;
}

HRESULT ClassRegistration::registerFactory(IClassFactory* factory) {
    revoke();
    const HRESULT hr =
        CoRegisterClassObject(kClsid, factory, CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE, &cookie_);
    registered_ = SUCCEEDED(hr);
    return hr;
}

bool ClassRegistration::revoke() {
    if (!registered_) {
        return false;
    }
    registered_ = false;
    CoRevokeClassObject(cookie_);
    return true;
}

}  // namespace dravosk::sim::server
