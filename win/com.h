// The owners for COM: an interface reference, a BSTR, a VARIANT and a run of them, an EXCEPINFO's
// texts, the calling thread's apartment, and the IUnknown of an object this program serves. Every
// one a COM call fills is released on every path, early returns and thrown Errors included.
#pragma once

#include <windows.h>
// ole2.h needs windows.h first
#include <ole2.h>

#include <cstddef>
#include <new>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace dravosk::win {

struct PlainRelease {
    template <class T>
    void operator()(T* p) const noexcept {
        p->Release();
    }
};

// Owns one reference to a COM interface, given back through `Releaser`.
template <class T, class Releaser = PlainRelease>
class com_ptr {
  public:
    com_ptr() noexcept = default;
    com_ptr(std::nullptr_t) noexcept {}
    explicit com_ptr(Releaser releaser) noexcept : releaser_(releaser) {}
    // Takes a reference of its own; the caller keeps the one it had.
    explicit com_ptr(T* p, Releaser releaser = {}) noexcept : releaser_(releaser), p_(p) {
        if (p_) {
            p_->AddRef();
        }
    }
    com_ptr(const com_ptr& other) noexcept : com_ptr(other.p_, other.releaser_) {}
    com_ptr(com_ptr&& other) noexcept
        : releaser_(other.releaser_), p_(std::exchange(other.p_, nullptr)) {}
    com_ptr& operator=(com_ptr other) noexcept {
        std::swap(releaser_, other.releaser_);
        std::swap(p_, other.p_);
        return *this;
    }
    ~com_ptr() { reset(); }

    // Adopts a reference the caller already owns (an out-parameter, a detached variant).
    static com_ptr attach(T* p) noexcept {
        com_ptr result;
        result.p_ = p;
        return result;
    }

    void reset() noexcept {
        if (T* p = std::exchange(p_, nullptr)) {
            releaser_(p);
        }
    }

    T* get() const noexcept { return p_; }
    T* operator->() const noexcept { return p_; }
    explicit operator bool() const noexcept { return p_ != nullptr; }

    // For out-parameters: drops the old reference first, so nothing leaks on reuse.
    T** put() noexcept {
        reset();
        return &p_;
    }
    void** put_void() noexcept { return reinterpret_cast<void**>(put()); }

  private:
    Releaser releaser_{};
    T* p_ = nullptr;
};

// Owns one BSTR. Texts cross COM with their full length (SysStringLen): embedded NULs survive.
class unique_bstr {
  public:
    unique_bstr() noexcept = default;
    // Throws std::bad_alloc when the system allocator has no room, like any other allocation.
    explicit unique_bstr(std::u16string_view text);
    unique_bstr(const unique_bstr&) = delete;
    unique_bstr& operator=(const unique_bstr&) = delete;
    unique_bstr(unique_bstr&& other) noexcept : s_(std::exchange(other.s_, nullptr)) {}
    unique_bstr& operator=(unique_bstr&& other) noexcept {
        std::swap(s_, other.s_);
        return *this;
    }
    ~unique_bstr() { reset(); }

    void reset() noexcept { ::SysFreeString(std::exchange(s_, nullptr)); }
    BSTR get() const noexcept { return s_; }
    BSTR* put() noexcept {
        reset();
        return &s_;
    }

    // The whole string; a null BSTR is the empty text, as COM defines it.
    std::u16string text() const { return textOf(s_); }
    static std::u16string textOf(BSTR s);

  private:
    BSTR s_ = nullptr;
};

inline unique_bstr::unique_bstr(std::u16string_view text) {
    s_ = ::SysAllocStringLen(text.empty() ? L"" : reinterpret_cast<const OLECHAR*>(text.data()),
                             static_cast<UINT>(text.size()));
    if (!s_) {
        throw std::bad_alloc();
    }
}

inline std::u16string unique_bstr::textOf(BSTR s) {
    const UINT length = ::SysStringLen(s);
    return std::u16string(s, s + length);
}

// Owns one VARIANT: initialised empty, cleared (releasing any object or text in it) when it goes.
class unique_variant {
  public:
    unique_variant() noexcept { ::VariantInit(&v_); }
    unique_variant(const unique_variant&) = delete;
    unique_variant& operator=(const unique_variant&) = delete;
    // Moving hands over the contents bit for bit; the source is left empty and owns nothing.
    unique_variant(unique_variant&& other) noexcept : v_(other.v_) { ::VariantInit(&other.v_); }
    unique_variant& operator=(unique_variant&& other) noexcept {
        std::swap(v_, other.v_);
        return *this;
    }
    ~unique_variant() { reset(); }

    void reset() noexcept {
        ::VariantClear(&v_);
        ::VariantInit(&v_);
    }

    VARTYPE vt() const noexcept { return v_.vt; }
    const VARIANT& get() const noexcept { return v_; }
    VARIANT* addressof() noexcept { return &v_; }

  private:
    VARIANT v_;
};

// A contiguous run of VARIANTs for Invoke's rgvarg and IEnumVARIANT::Next: all start empty and are
// cleared on reset and destruction, so what a call left is released even if the caller gives up.
class unique_variant_array {
  public:
    explicit unique_variant_array(std::size_t size) : v_(size) {
        for (VARIANT& v : v_) {
            ::VariantInit(&v);
        }
    }
    unique_variant_array(const unique_variant_array&) = delete;
    unique_variant_array& operator=(const unique_variant_array&) = delete;
    ~unique_variant_array() { reset(); }

    void reset() noexcept {
        for (VARIANT& v : v_) {
            ::VariantClear(&v);
            ::VariantInit(&v);
        }
    }

    std::size_t size() const noexcept { return v_.size(); }
    VARIANT* data() noexcept { return v_.data(); }
    VARIANT& operator[](std::size_t index) noexcept { return v_[index]; }

  private:
    std::vector<VARIANT> v_;
};

// Owns the texts of an EXCEPINFO that Invoke filled in.
class unique_excepinfo {
  public:
    unique_excepinfo() noexcept : e_{} {}
    unique_excepinfo(const unique_excepinfo&) = delete;
    unique_excepinfo& operator=(const unique_excepinfo&) = delete;
    unique_excepinfo(unique_excepinfo&& other) noexcept
        : e_(std::exchange(other.e_, EXCEPINFO{})) {}
    unique_excepinfo& operator=(unique_excepinfo&& other) noexcept {
        std::swap(e_, other.e_);
        return *this;
    }
    ~unique_excepinfo() { reset(); }

    void reset() noexcept {
        ::SysFreeString(e_.bstrSource);
        ::SysFreeString(e_.bstrDescription);
        ::SysFreeString(e_.bstrHelpFile);
        e_ = EXCEPINFO{};
    }

    // A server may leave the texts for later by setting pfnDeferredFillIn; only after that call
    // are the code and description valid. Done at most once.
    void fillDeferred() noexcept {
        if (auto fill = e_.pfnDeferredFillIn) {
            e_.pfnDeferredFillIn = nullptr;
            fill(&e_);
        }
    }

    const EXCEPINFO& get() const noexcept { return e_; }
    EXCEPINFO* addressof() noexcept { return &e_; }

  private:
    EXCEPINFO e_;
};

// The calling thread's COM apartment for the life of the object.
class com_apartment {
  public:
    // CoInitializeEx with `flags`; result() says how that went. A thread already in another
    // apartment gets RPC_E_CHANGED_MODE and stays where it is.
    explicit com_apartment(DWORD flags) : result_(::CoInitializeEx(nullptr, flags)) {}
    com_apartment(const com_apartment&) = delete;
    com_apartment& operator=(const com_apartment&) = delete;
    // Leaves only an apartment this object entered (S_OK and S_FALSE both must be balanced).
    ~com_apartment() {
        if (SUCCEEDED(result_)) {
            ::CoUninitialize();
        }
    }

    HRESULT result() const noexcept { return result_; }

  private:
    HRESULT result_;
};

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

// IUnknown for an object served under one interface: the count starts at one (the creator's),
// and the object deletes itself when the last reference goes.
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

  private:
    LONG references_ = 1;
};

}  // namespace dravosk::win
