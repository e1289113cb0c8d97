// IUnknown for an object of the server that lives in its owner's scope for as long as COM may call
// it (the class object, the message filter): references are not counted and nothing is deleted.
#pragma once

#include "win/com.h"

namespace dravosk::sim::server {

template <class Interface>
class com_scoped_object : public Interface {
  public:
    com_scoped_object(const com_scoped_object&) = delete;
    com_scoped_object& operator=(const com_scoped_object&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        return win::queryInterface<Interface>(this, riid, object);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

  protected:
    com_scoped_object() = default;
    ~com_scoped_object() = default;
};

}  // namespace dravosk::sim::server
