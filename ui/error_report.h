// The one message that reports a failed command before the program ends.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "core/error.h"

namespace dravosk::ui {

// At most this many changed features are named one per line (and as many uncertain calls); the
// rest are counted, and a longer description, identifier or step is cut, so the message box
// still fits on the screen and its OK button stays reachable.
inline constexpr std::size_t kMaxListedChanges = 20;
inline constexpr std::size_t kMaxDescription = 1000;  // UTF-16 code units
inline constexpr std::size_t kMaxIdentifier = 100;    // per identifier in a line
inline constexpr std::size_t kMaxStep = 300;

// A line of the report: "Merkmal "B1": Theo, IST umgekehrt" (for a feature with reversed data
// sets), "Merkmal "B2", Datensatz 27: ungewiss, ob umgekehrt – bitte in Korvane prüfen".
std::u16string reversedLine(const WriteRecord::Feature& feature);
std::u16string uncertainLine(const std::u16string& id, std::int32_t dataSet);

// `text` as a control shows it (win::displayText), cut after `limit` code units (a surrogate pair
// is never split) and then marked with "…".
std::wstring shortenedText(std::u16string_view text, std::size_t limit);

// German text: the number in hex and decimal, the description, the failing step and, after a
// failed Write, per feature the data sets of `written` that stay reversed in the host, and apart
// from them the calls of which nobody knows whether the host carried them out (a PutVector still
// in flight among them, for the last feature). Every text from the host is shown as
// win::displayText shows it, so none can add a line of its own.
std::wstring errorReportText(const Error& error, const WriteRecord& written);
// The same with what the error itself says was written.
std::wstring errorReportText(const Error& error);

// The short report that stands in when the full one cannot be built or shown: the number, how
// many features stay reversed and how many calls are uncertain, written into `buffer` without
// allocating (cut to fit, always terminated). Returns its length, 0 if nothing could be written.
inline constexpr std::size_t kShortReportSize = 512;
std::size_t shortErrorReportText(std::int32_t number, const WriteRecord& written,
                                 std::span<wchar_t> buffer) noexcept;
// Shows it over `owner` if possible, else on its own (the owner may be what failed).
void showShortReport(HWND owner, std::int32_t number, const WriteRecord& written) noexcept;

// Shows that text in a modal message box captioned with the application title; returns when the
// user has confirmed it. Should the text not be built (out of memory) or the box not be shown, the
// short report takes its place.
void showErrorReport(HWND owner, const Error& error, const WriteRecord& written) noexcept;
void showErrorReport(HWND owner, const Error& error) noexcept;

}  // namespace dravosk::ui
