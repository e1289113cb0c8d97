// Owns one reference to a COM interface. Every interface pointer the binding holds lives in one of
// these, so each early return or thrown Error still releases it.
#pragma once

#include <windows.h>
// ole2.h needs windows.h first
#include <ole2.h>

#include <cstddef>
#include <utility>

namespace dravosk::win {

template <class T>
class com_ptr {
  public:
    com_ptr() noexcept = default;
    com_ptr(std::nullptr_t) noexcept {}
    // Takes a reference of its own; the caller keeps the one it had.
    explicit com_ptr(T* p) noexcept : p_(p) {
        if (p_) {
            p_->AddRef();
        }
    }
    com_ptr(const com_ptr& other) noexcept : com_ptr(other.p_) {}
    com_ptr(com_ptr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    com_ptr& operator=(com_ptr other) noexcept {
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
    [[nodiscard]] T* detach() noexcept { return std::exchange(p_, nullptr); }

    void reset() noexcept {
        if (T* p = std::exchange(p_, nullptr)) {
            p->Release();
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

    // QueryInterface into `out`; returns the HRESULT so callers decide how a refusal is reported.
    template <class U>
    HRESULT query_to(com_ptr<U>& out) const noexcept {
        if (!p_) {
            out.reset();
            return E_POINTER;
        }
        return p_->QueryInterface(__uuidof(U), out.put_void());
    }

  private:
    T* p_ = nullptr;
};

}  // namespace dravosk::win
