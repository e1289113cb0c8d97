#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "core/text.h"
#include "sim/part_program_file.h"

namespace dravosk {
namespace {

// The part program file checks its bytes with these, on fromUtf8's decoding.
using sim::firstInvalidUtf8;
using sim::utf8Length;

// Each case: the bytes, the offset of the first byte that starts no well-formed sequence, and the
// text fromUtf8 makes of them (one U+FFFD for each such byte).
struct Utf8Case {
    std::string bytes;
    std::optional<std::size_t> firstInvalid;
    std::u16string decoded;
};

TEST(Utf8, ValidatingAndDecodingAgreeOnEveryMalformedSequence) {
    const Utf8Case cases[] = {
        {"", std::nullopt, u""},
        {"Gr\xC3\xB6\xC3\x9F"
         "e \xE2\x82\xAC \xF0\x9F\x98\x80",
         std::nullopt, u"Größe € 😀"},
        {"\xEF\xBF\xBF\xF4\x8F\xBF\xBF", std::nullopt, u"\uFFFF\U0010FFFF"},
        {"a\xFF", 1, u"a\uFFFD"},
        {"\xC0\xAF", 0, u"\uFFFD\uFFFD"},                      // overlong '/'
        {"x\xE0\x9F\xBF", 1, u"x\uFFFD\uFFFD\uFFFD"},          // overlong U+07FF
        {"\xF0\x8F\xBF\xBF", 0, u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // overlong U+FFFF
        {"ab\xED\xA0\x80", 2, u"ab\uFFFD\uFFFD\uFFFD"},        // a surrogate
        {"\xF4\x90\x80\x80", 0, u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // beyond U+10FFFF
        {"\xF8\x88\x80\x80\x80", 0, u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"\xE2\x82", 0, u"\uFFFD\uFFFD"},    // cut off at the end
        {"\xE2\x82z", 0, u"\uFFFD\uFFFDz"},  // cut off by the next character
        {"\xC3\xB6\x80", 2, u"ö\uFFFD"},     // a stray continuation byte
    };
    for (const Utf8Case& c : cases) {
        SCOPED_TRACE(toUtf8(c.decoded));
        EXPECT_EQ(firstInvalidUtf8(c.bytes), c.firstInvalid);
        EXPECT_EQ(fromUtf8(c.bytes), c.decoded);
        if (!c.firstInvalid) {
            EXPECT_EQ(toUtf8(fromUtf8(c.bytes)), c.bytes);
        }
    }
    EXPECT_EQ(utf8Length("\xE2\x82\xAC", 0), 3u);
    EXPECT_EQ(utf8Length("\xE2\x82\xAC", 1), 0u);
    EXPECT_EQ(utf8Length("a", 1), 0u);  // the end of the text
}

}  // namespace
}  // namespace dravosk
