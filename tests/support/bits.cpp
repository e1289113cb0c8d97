#include "tests/support/bits.h"

#include <gtest/gtest.h>

#include <bit>

namespace dravosk::test {

std::uint64_t bits(double value) {
    return std::bit_cast<std::uint64_t>(value);
}

bool sameBits(const sim::Vector& a, const sim::Vector& b) {
    for (std::size_t i = 0; i < 3; ++i) {
        if (bits(a[i]) != bits(b[i])) {
            return false;
        }
    }
    return true;
}

sim::Vector negated(const sim::Vector& v) {
    return {-v[0], -v[1], -v[2]};
}

void expectSameBits(const sim::Vector& actual, const sim::Vector& expected,
                    const std::string& what) {
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(bits(actual[i]), bits(expected[i]))
            << what << ", component " << i << ": " << actual[i] << " instead of " << expected[i];
    }
}

}  // namespace dravosk::test
