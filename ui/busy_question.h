// The question to the operator when the host has not answered for a while: a small modal dialog
// over Dravosk's window, captioned "Dravosk", with the buttons "Warten" and "Abbrechen". A plain
// message box cannot carry those button texts; the platform's task dialog (common controls 6)
// takes them as its own buttons and lays out, sizes and places the question itself.
#pragma once

#include <windows.h>

#include <chrono>
#include <string>
#include <string_view>

namespace dravosk::ui {

// The buttons' control identifiers.
inline constexpr int kWaitButton = 100;
inline constexpr int kCancelButton = 101;

// "Korvane antwortet seit 10 s nicht (<step>). Weiter warten oder abbrechen?", a long step cut.
std::wstring busyQuestionText(std::chrono::seconds waited, std::u16string_view step);

// Shows `text` over `owner` (or, null, on its own), in front of other programs' windows, and
// returns true for "Warten", false for "Abbrechen". Neither Esc nor a close
// message answers it: giving up ends the program, which takes the button. When the dialog
// cannot be shown at all, the answer is to wait on.
bool askToWaitOn(HWND owner, const std::wstring& text);

}  // namespace dravosk::ui
