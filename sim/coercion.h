// How the stand-in's values are taken as boolean or text: the platform's automation coercion rules
// (invariant locale, no flags) for the value types the stand-in produces.
#pragma once

#include <string>
#include <string_view>

#include "sim/model.h"

namespace dravosk::sim {

// Empty and null are false; numbers are true unless zero; text "True"/"False" (any case) or a
// number. Anything else raises a type mismatch naming `member`.
bool toBool(const Value& value, std::u16string_view member);
// Empty is the empty text; booleans are "-1"/"0"; integers in decimal; doubles with up to 15
// significant digits. Null and object references raise a type mismatch naming `member`.
std::u16string toText(const Value& value, std::u16string_view member);

}  // namespace dravosk::sim
