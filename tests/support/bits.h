// Vectors compared bit for bit, so that -0 and 0 (and every NaN) differ, as Write must keep them.
#pragma once

#include <cstdint>
#include <string>

#include "sim/model.h"

namespace dravosk::test {

std::uint64_t bits(double value);
bool sameBits(const sim::Vector& a, const sim::Vector& b);
// Each component with its sign reversed, as Write reverses it.
sim::Vector negated(const sim::Vector& v);
// A failure of the test for each component whose bits differ.
void expectSameBits(const sim::Vector& actual, const sim::Vector& expected,
                    const std::string& what);

}  // namespace dravosk::test
