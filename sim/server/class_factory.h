// The class object that COM asks for new application objects, and its registration with COM for
// the life of the server.
#pragma once

#include <unknwn.h>

#include "sim/server/server_state.h"
#include "sim/server/scoped_object.h"

namespace dravosk::sim::server {

class ClassFactory final : public com_scoped_object<IClassFactory> {
  public:
    explicit ClassFactory(ServerState& state) : state_(state) {}

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

  private:
    ServerState& state_;
};

// CoRegisterClassObject(CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE) for the host's class; revoked
// by revoke() or at the end of its life, whichever comes first.
class ClassRegistration {
  public:
    ClassRegistration() = default;
    ClassRegistration(const ClassRegistration&) = delete;
    ClassRegistration& operator=(const ClassRegistration&) = delete;
    ~ClassRegistration() { revoke(); }

    HRESULT registerFactory(IClassFactory* factory);
    // Returns whether a registration was revoked.
    bool revoke();

  private:
    DWORD cookie_ = 0;
    bool registered_ = false;
};

}  // namespace dravosk::sim::server
