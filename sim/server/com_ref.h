// Owns one reference to a COM interface.
#pragma once

#include <unknwn.h>

#include <cstddef>
#include <utility>

namespace dravosk::sim::server {

template <class T>
class ComRef {
  public:
    ComRef() noexcept = default;
    ComRef(std::nullptr_t) noexcept {}
    ComRef(const ComRef& other) noexcept : p_(other.p_) {
        if (p_) {
            p_->AddRef();
        }
    }
    ComRef(ComRef&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ComRef& operator=(ComRef other) noexcept {
        std::swap(p_, other.p_);
        return *this;
    }
    ~ComRef() { reset(); }

    // Takes over a reference the caller owns (a new object, an out-parameter).
    static ComRef adopt(T* p) noexcept {
        ComRef result;
        result.p_ = p;
        return result;
    }

    void reset() noexcept {
        if (T* p = std::exchange(p_, nullptr)) {
            p->Release();
        }
    }
    [[nodiscard]] T* detach() noexcept { return std::exchange(p_, nullptr); }
    T* get() const noexcept { return p_; }
    T* operator->() const noexcept { return p_; }
    explicit operator bool() const noexcept { return p_ != nullptr; }

  private:
    T* p_ = nullptr;
};

}  // namespace dravosk::sim::server
