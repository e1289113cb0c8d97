// The one message that reports a failed command before the program ends.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <string_view>

#include "core/error.h"

namespace dravosk::ui {

// At most this many changed features are named one per line (and as many uncertain calls); the
// rest are counted, and a longer description is cut, so the message box still fits on the screen
// and its OK button stays reachable.
inline constexpr std::size_t kMaxListedChanges = 20;
inline constexpr std::size_t kMaxDescription = 1000;  // UTF-16 code units

// `text` as a control shows it (win::displayText), cut after `limit` code units (a surrogate pair
// is never split) and then marked with "…".
std::wstring shortenedText(std::u16string_view text, std::size_t limit);

// German text: the number in hex and decimal, the description, the failing step and, after a
// failed Write, per feature the data sets that stay reversed in the host, and apart from them
// the calls of which nobody knows whether the host carried them out.
std::wstring errorReportText(const Error& error);

// Shows that text in a modal message box captioned with the application title; returns when the
// user has confirmed it.
void showErrorReport(HWND owner, const Error& error);

}  // namespace dravosk::ui
