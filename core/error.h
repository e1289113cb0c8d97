// The one error type of the tool: a number, a description and the member or step where it arose.
#pragma once

#include <cstdint>
#include <exception>
#include <string>

#include "core/write_record.h"

namespace dravosk {

// Numbers of the tool's own checks. They are HRESULTs with the customer bit set, so they can never
// be mistaken for a number that came from the platform or the host.
namespace errnum {
inline constexpr std::int32_t kOverflow = static_cast<std::int32_t>(0xA0040001u);
inline constexpr std::int32_t kListFull = static_cast<std::int32_t>(0xA0040002u);
inline constexpr std::int32_t kNoActivePartProgram = static_cast<std::int32_t>(0xA0040003u);
inline constexpr std::int32_t kVectorNotFilled = static_cast<std::int32_t>(0xA0040004u);
inline constexpr std::int32_t kNotAnObject = static_cast<std::int32_t>(0xA0040005u);
inline constexpr std::int32_t kBadIndex = static_cast<std::int32_t>(0xA0040006u);
// The host's collection delivers more features than the list can hold, or more commands than any
// part program has: it does not end (or starts over).
inline constexpr std::int32_t kTooManyFeatures = static_cast<std::int32_t>(0xA0040007u);
inline constexpr std::int32_t kTooManyCommands = static_cast<std::int32_t>(0xA0040008u);
// The host's collection delivers a feature object that this Write has reversed already: it starts
// over.
inline constexpr std::int32_t kFeatureMetAgain = static_cast<std::int32_t>(0xA0040009u);
}  // namespace errnum

class Error : public std::exception {
  public:
    Error(std::int32_t number, std::u16string description, std::u16string where = {});

    std::int32_t number() const noexcept { return number_; }
    const std::u16string& description() const noexcept { return description_; }
    const std::u16string& where() const noexcept { return where_; }

    // What a failed Write had done to the host when it stopped; empty for everything else.
    const WriteRecord& written() const noexcept { return written_; }
    void setWritten(WriteRecord written) { written_ = std::move(written); }

    // Replaces where it arose, e.g. the member by the whole step (CommandProgress::name).
    void setWhere(std::u16string where);
    // Prefixes `context` to where it arose, e.g. the file to a position in it.
    void addContext(const std::u16string& context);

    // UTF-8 summary, for logs and test failures.
    const char* what() const noexcept override { return what_.c_str(); }

  private:
    void updateWhat();

    std::int32_t number_;
    std::u16string description_;
    std::u16string where_;
    WriteRecord written_;
    std::string what_;
};

}  // namespace dravosk
