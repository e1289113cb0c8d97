// The one error type of the tool: a number, a description and the step where it arose.
#pragma once

#include <cstdint>
#include <exception>
#include <string>

namespace dravosk {

// The tool's own numbers: HRESULTs with the customer bit set, unlike any platform's or host's.
namespace errnum {
inline constexpr std::int32_t kOverflow = static_cast<std::int32_t>(0xA0040001u);
inline constexpr std::int32_t kListFull = static_cast<std::int32_t>(0xA0040002u);
inline constexpr std::int32_t kNoActivePartProgram = static_cast<std::int32_t>(0xA0040003u);
inline constexpr std::int32_t kVectorNotFilled = static_cast<std::int32_t>(0xA0040004u);
inline constexpr std::int32_t kNotAnObject = static_cast<std::int32_t>(0xA0040005u);
inline constexpr std::int32_t kBadIndex = static_cast<std::int32_t>(0xA0040006u);
// The host's collection does not end or starts over: it delivers more features than the list can
// hold, more commands than any part program has, or a feature object this Write reversed already.
inline constexpr std::int32_t kTooManyFeatures = static_cast<std::int32_t>(0xA0040007u);
inline constexpr std::int32_t kTooManyCommands = static_cast<std::int32_t>(0xA0040008u);
inline constexpr std::int32_t kFeatureMetAgain = static_cast<std::int32_t>(0xA0040009u);
}  // namespace errnum

// What the binding knows of how a failed call to the host ended there.
enum class CallOutcome {
    // It reached the host's method, or nothing is known: the host may have carried it out.
    unknown,
    // Certainly not carried out: it never left this program, the host's message filter refused
    // it, or the host's automation layer turned it down before the method ran.
    notRun,
    // Given up on while out (cancelled, timed out): the host may still carry it out later.
    givenUp,
};

class Error : public std::exception {
  public:
    Error(std::int32_t number, std::u16string description, std::u16string where = {},
          CallOutcome outcome = CallOutcome::unknown);

    std::int32_t number() const noexcept { return number_; }
    const std::u16string& description() const noexcept { return description_; }
    const std::u16string& where() const noexcept { return where_; }
    CallOutcome outcome() const noexcept { return outcome_; }

    // Replaces where it arose, e.g. the member by the whole step (CommandProgress::name).
    void setWhere(std::u16string where);

    // UTF-8 summary, for logs and test failures.
    const char* what() const noexcept override { return what_.c_str(); }

  private:
    std::int32_t number_;
    std::u16string description_;
    std::u16string where_;
    CallOutcome outcome_;
    std::string what_;
};

}  // namespace dravosk
