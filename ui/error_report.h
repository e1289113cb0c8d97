// The one message that reports a failed command before the program ends.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

#include "core/error.h"

namespace dravosk::ui {

// At most this many changed features are named one per line; the rest are counted, so the message
// box still fits on the screen and its OK button stays reachable.
inline constexpr std::size_t kMaxListedChanges = 20;

// German text: the number in hex and decimal, the description, the failing step and, after a
// failed Write, the features whose vectors stay reversed in the host.
std::wstring errorReportText(const Error& error);

// Shows that text in a modal message box captioned with the application title; returns when the
// user has confirmed it.
void showErrorReport(HWND owner, const Error& error);

}  // namespace dravosk::ui
