// Identifier texts are kept as the host delivers them: UTF-16 code units, compared exactly.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace dravosk {

// Lossless for valid UTF-16; an unpaired surrogate becomes U+FFFD (only used for display and logs).
std::string toUtf8(std::u16string_view text);
// Invalid UTF-8 sequences become U+FFFD.
std::u16string fromUtf8(std::string_view text);

// A number in decimal digits, "-" in front when negative.
std::u16string decimal(std::int64_t value);

}  // namespace dravosk
