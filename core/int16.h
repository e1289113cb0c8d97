// List counts and loop indexes are 16-bit signed values; arithmetic on them raises an error on
// overflow instead of wrapping.
#pragma once

#include <cstdint>

namespace dravosk {

using Int16 = std::int16_t;

inline constexpr Int16 kInt16Max = 32767;

// Both raise Error(errnum::kOverflow) when the exact result is outside -32768..32767.
Int16 checkedAdd(Int16 a, Int16 b);
Int16 checkedSub(Int16 a, Int16 b);

}  // namespace dravosk
