// IUnknown for an object a server hands out under one interface: QueryInterface answers for
// IUnknown and `Interface`, the reference count starts at one (the creator's) and the object
// deletes itself when the last reference goes.
#pragma once

#include <unknwn.h>

namespace dravosk::win {

template <class Interface>
class com_object : public Interface {
  public:
    com_object(const com_object&) = delete;
    com_object& operator=(const com_object&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (!object) {
            return E_POINTER;
        }
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, __uuidof(Interface))) {
            *object = static_cast<Interface*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override {
        return static_cast<ULONG>(::InterlockedIncrement(&references_));
    }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = ::InterlockedDecrement(&references_);
        if (left == 0) {
            delete this;
        }
        return static_cast<ULONG>(left);
    }

  protected:
    com_object() = default;
    virtual ~com_object() = default;

  private:
    LONG references_ = 1;
};

}  // namespace dravosk::win
