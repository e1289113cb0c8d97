// Texts and numbers as the tool writes them. Identifier texts are kept as the host delivers them:
// UTF-16 code units, compared exactly. Messages are German UTF-16; numbers in them are ASCII.
#pragma once

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace dravosk {

// Lossless for valid UTF-16; an unpaired surrogate becomes U+FFFD (only used for display and logs).
std::string toUtf8(std::u16string_view text);
// Invalid UTF-8 sequences become U+FFFD, one for each byte that starts no well-formed sequence.
std::u16string fromUtf8(std::string_view text);
// Into `c` the code point of the well-formed UTF-8 sequence (shortest form, no surrogate, at most
// U+10FFFF) starting at text[at]; returns its length in bytes, 0 if none starts there or at end.
std::size_t decodeUtf8(std::string_view text, std::size_t at, char32_t& c);

// ASCII text (digits, signs, names of constants) as UTF-16, one code unit per byte.
std::u16string ascii(std::string_view text);

// An integer in decimal, as it goes into a German message ("Element 12", "Datensatz 27").
template <std::integral T>
std::u16string decimal(T value) {
    return ascii(std::to_string(value));
}

// "0x" and eight upper-case hex digits ("0x80020009"), the form HRESULTs are shown in.
std::string hex(std::uint32_t value);

}  // namespace dravosk
