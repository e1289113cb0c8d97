// What the stand-in does as the platform's automation layer does: the numbers it fails with, how it
// writes a number as text and how it compares names.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/error.h"

namespace dravosk::sim {

// The platform's own numbers for the failures the stand-in raises itself.
inline constexpr std::int32_t kTypeMismatch = static_cast<std::int32_t>(0x80020005u);
inline constexpr std::int32_t kUnknownName = static_cast<std::int32_t>(0x80020006u);
inline constexpr std::int32_t kMemberNotFound = static_cast<std::int32_t>(0x80020003u);
inline constexpr std::int32_t kBadParamCount = static_cast<std::int32_t>(0x8002000Eu);
inline constexpr std::int32_t kException = static_cast<std::int32_t>(0x80020009u);
inline constexpr std::int32_t kBadProgId = static_cast<std::int32_t>(0x800401F3u);

// The automation layer turned the call to `member` down before the method ran, as its own numbers
// above (but kException) say to the binding.
inline Error turnedDown(std::int32_t number, std::u16string description,
                        std::u16string_view member) {
    return Error(number, std::move(description), std::u16string(member), CallOutcome::notRun);
}

// A double with up to `digits` significant digits (printf's %g, or %G with `upperExponent`);
// the sign of zero is kept ("-0").
std::string number(double value, int digits, bool upperExponent = false);

// Equal apart from the case of the ASCII letters (member names, "True" and "false").
bool equalsIgnoringAsciiCase(std::u16string_view a, std::u16string_view b);

}  // namespace dravosk::sim
