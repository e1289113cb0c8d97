// Owns a contiguous run of VARIANTs, as Invoke's rgvarg and IEnumVARIANT::Next want them: all
// start empty and all are cleared on reset and destruction, so items a call left behind are
// released even when the caller gives up half way.
#pragma once

#include <windows.h>
// ole2.h needs windows.h first
#include <ole2.h>

#include <cstddef>
#include <vector>

namespace dravosk::win {

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

}  // namespace dravosk::win
