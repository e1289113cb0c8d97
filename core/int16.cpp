#include "core/int16.h"

#include <limits>

#include "core/error.h"

namespace dravosk {

namespace {

Int16 narrow(int exact) {
    if (exact < std::numeric_limits<Int16>::min() || exact > std::numeric_limits<Int16>::max()) {
        throw Error(errnum::kOverflow,
                    u"Überlauf: das Ergebnis liegt außerhalb von -32768 bis 32767.",
                    u"16-Bit-Arithmetik");
    }
    return static_cast<Int16>(exact);
}

}  // namespace

Int16 checkedAdd(Int16 a, Int16 b) {
    return narrow(int{a} + int{b});
}
Int16 checkedSub(Int16 a, Int16 b) {
    return narrow(int{a} - int{b});
}

}  // namespace dravosk
