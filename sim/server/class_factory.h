// The class object that COM asks for new application objects, and its registration with COM for
// the life of the server.
#pragma once

#include <unknwn.h>

#include "sim/server/server_state.h"

namespace dravosk::sim::server {

class ClassFactory final : public IClassFactory {
  public:
    explicit ClassFactory(ServerState& state) : state_(state) {}
    ClassFactory(const ClassFactory&) = delete;
    ClassFactory& operator=(const ClassFactory&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    // The factory lives as long as the server (it is a member of main's scope, not counted).
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

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
