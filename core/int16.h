// List counts and loop indexes: 16-bit signed, their arithmetic raising Error instead of wrapping.
#pragma once

#include <cstdint>

#include "core/error.h"

namespace dravosk {

using Int16 = std::int16_t;

inline constexpr Int16 kInt16Max = 32767;

// Raises Error(errnum::kOverflow) when the exact result is outside -32768..32767.
inline Int16 checkedInt16(int exact) {
    if (exact < -32768 || exact > kInt16Max) {
        throw Error(errnum::kOverflow,
                    u"Überlauf: das Ergebnis liegt außerhalb von -32768 bis 32767.",
                    u"16-Bit-Arithmetik");
    }
    return static_cast<Int16>(exact);
}
inline Int16 checkedAdd(Int16 a, Int16 b) {
    return checkedInt16(int{a} + int{b});
}
inline Int16 checkedSub(Int16 a, Int16 b) {
    return checkedInt16(int{a} - int{b});
}

}  // namespace dravosk
