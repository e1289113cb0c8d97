#include <gtest/gtest.h>

#include "core/error.h"
#include "core/int16.h"

namespace dravosk {
namespace {

TEST(Int16, LimitsRaiseOverflowInsteadOfWrapping) {
    EXPECT_EQ(checkedAdd(32766, 1), 32767);
    EXPECT_EQ(checkedSub(-32767, 1), -32768);
    EXPECT_EQ(checkedSub(0, 1), -1);
    try {
        checkedAdd(32767, 1);
        FAIL() << "no overflow";
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), errnum::kOverflow);
        EXPECT_FALSE(e.description().empty());
    }
    EXPECT_THROW(checkedSub(-32768, 1), Error);
    EXPECT_THROW(checkedAdd(-32768, -1), Error);
    EXPECT_THROW(checkedSub(32767, -1), Error);
}

}  // namespace
}  // namespace dravosk
