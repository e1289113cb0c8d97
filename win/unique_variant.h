// Owns one VARIANT: initialised empty, cleared (releasing any object or text in it) when it goes.
#pragma once

#include <windows.h>
// ole2.h needs windows.h first
#include <ole2.h>

#include <utility>

namespace dravosk::win {

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

    // Hands the contents over to the caller (an out-parameter of a call being served); this
    // owner is left empty.
    [[nodiscard]] VARIANT release() noexcept {
        const VARIANT contents = v_;
        ::VariantInit(&v_);
        return contents;
    }

    VARTYPE vt() const noexcept { return v_.vt; }
    const VARIANT& get() const noexcept { return v_; }
    VARIANT* addressof() noexcept { return &v_; }
    // For out-parameters: clears the old contents first.
    VARIANT* reset_and_addressof() noexcept {
        reset();
        return &v_;
    }

  private:
    VARIANT v_;
};

}  // namespace dravosk::win
