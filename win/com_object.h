// IUnknown for an object a server hands out under one interface: QueryInterface answers for
// IUnknown and `Interface`, the reference count starts at one (the creator's) and the object
// deletes itself when the last reference goes.
#pragma once

#include <unknwn.h>

namespace dravosk::win {

// QueryInterface of an object that offers IUnknown and `Interface` only.
template <class Interface>
HRESULT queryInterface(Interface* self, REFIID riid, void** object) {
    if (!object) {
        return E_POINTER;
    }
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, __uuidof(Interface))) {
        *object = self;
        self->AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

template <class Interface>
class com_object : public Interface {
  public:
    com_object(const com_object&) = delete;
    com_object& operator=(const com_object&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        return queryInterface<Interface>(this, riid, object);
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

    // The references held now; 1 when the next Release is the last.
    LONG references() const noexcept { return references_; }

  private:
    LONG references_ = 1;
};

// IUnknown for an object that lives in its owner's scope for as long as COM may call it (a class
// object, a message filter): references are not counted and nothing is deleted.
template <class Interface>
class com_scoped_object : public Interface {
  public:
    com_scoped_object(const com_scoped_object&) = delete;
    com_scoped_object& operator=(const com_scoped_object&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        return queryInterface<Interface>(this, riid, object);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

  protected:
    com_scoped_object() = default;
    ~com_scoped_object() = default;
};

}  // namespace dravosk::win
