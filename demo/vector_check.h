// The part program of the stand-in host as Write should leave it, and a bit-for-bit comparison.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <set>
#include <string>

#include "sim/model.h"

namespace dravosk::demo {

std::wstring wide(const std::u16string& text);
std::wstring wide(const std::string& utf8);

std::uint64_t bitsOf(double value);
// The value with its sign bit flipped (zeros and NaNs included), as Write reverses a component.
double negated(double value);
bool isFeature(const sim::Command& command);
// The identifier, or an empty one when the command has none or a non-text one.
std::u16string idOf(const sim::Command& command);

// `program` with the chosen vectors (Theo, IST, Ziel) of every feature in `reversed` negated.
sim::PartProgram reversedCopy(sim::PartProgram program, const std::set<std::u16string>& reversed,
                              std::array<bool, 3> chosen);

// Every vector of every command, bit for bit; each difference is a failed check.
void checkVectors(const std::optional<sim::PartProgram>& actual, const sim::PartProgram& expected,
                  const std::wstring& what);

}  // namespace dravosk::demo
