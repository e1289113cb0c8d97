// Between the model's values and automation variants: results out, method arguments in.
#pragma once

#include <oaidl.h>

#include <cstdint>
#include <span>

#include "sim/model.h"

namespace dravosk::sim::server {

// A failure of the dispatch layer itself: returned as the HRESULT of Invoke, with the position of
// the offending argument in rgvarg where there is one.
struct DispatchFailure {
    HRESULT hr;
    UINT argErr = static_cast<UINT>(-1);
};

// Writes `value` into an empty `out`: VT_EMPTY, VT_NULL, a null VT_DISPATCH, VT_BOOL, VT_I2, VT_I4,
// VT_R8 or VT_BSTR (every code unit, embedded NULs included). Throws std::bad_alloc.
void valueToVariant(const Value& value, VARIANT* out);

// The positional arguments of one Invoke, in call order (rgvarg holds them last to first).
class Arguments {
  public:
    explicit Arguments(const DISPPARAMS& params) : params_(params) {}

    std::size_t count() const { return params_.cArgs; }
    // A 4-byte integer, from anything VariantChangeType turns into one.
    std::int32_t int32(std::size_t index) const;
    // A double by value, from anything VariantChangeType turns into one.
    double real(std::size_t index) const;
    // A double by reference: VT_BYREF|VT_R8, or VT_BYREF|VT_VARIANT whose variant is turned into
    // VT_R8 in place (the caller sees a double afterwards).
    double* realRef(std::size_t index) const;

  private:
    VARIANTARG& at(std::size_t index) const;
    UINT position(std::size_t index) const { return params_.cArgs - 1 - static_cast<UINT>(index); }
    VARIANT converted(std::size_t index, VARTYPE type) const;

    const DISPPARAMS& params_;
};

}  // namespace dravosk::sim::server
