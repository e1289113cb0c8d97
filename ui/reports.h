// What the operator is shown: the one report of a failed command before the program ends, and the
// question whether to wait on a host that has not answered for a while. Both wait for the operator,
// who may be working in Korvane meanwhile; Windows does not let a program take the foreground while
// the user works in another (SetForegroundWindow), so each box keeps itself in front of other
// programs' windows and, where that is not enough, flashes its taskbar button.
#pragma once

#include <windows.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "core/command_progress.h"
#include "core/error.h"

namespace dravosk::ui {

// An identifier longer than this (in UTF-16 code units) is cut in a line of the report, so the
// message box still fits on the screen and its OK button stays reachable.
inline constexpr std::size_t kMaxIdentifier = 100;

// A line of the report: "Merkmal "B1": Theo, IST umgekehrt" (for a feature with reversed data
// sets), "Merkmal "B2", Datensatz 27: ungewiss, ob umgekehrt – bitte in Korvane prüfen".
std::u16string reversedLine(const WriteRecord::Feature& feature);
std::u16string uncertainLine(const std::u16string& id, std::int32_t dataSet);

// German text: the number in hex and decimal, the description, the failing step and, after a
// failed Write, per feature the data sets of `written` that stay reversed in the host, then the
// calls nobody knows the host carried out (a PutVector in flight among them, for the last
// feature). Host texts are shown as win::displayText shows them, so none can add a line.
std::wstring errorReportText(const Error& error, const WriteRecord& written);

// The short report standing in when the full one cannot be built or shown: the number, how many
// features stay reversed and how many calls are uncertain, written into `buffer` without
// allocating (cut to fit, always terminated). Returns its length, 0 if nothing could be written.
inline constexpr std::size_t kShortReportSize = 512;
std::size_t shortErrorReportText(std::int32_t number, const WriteRecord& written,
                                 std::span<wchar_t> buffer) noexcept;
// Shows it over `owner` if possible, else on its own (the owner may be what failed).
void showShortReport(HWND owner, std::int32_t number, const WriteRecord& written) noexcept;

// Shows that text in a modal message box titled kAppTitle; returns once the user confirmed it.
// Should the text not be built (out of memory) or the box not be shown, the short report is shown.
void showErrorReport(HWND owner, const Error& error,
                     const WriteRecord& written = WriteRecord{}) noexcept;

// ---- The question: a small modal dialog captioned "Dravosk" with the buttons "Warten" and
// "Abbrechen". A plain message box cannot carry those texts; the platform's task dialog (common
// controls 6) takes them as its own buttons and lays out, sizes and places the question itself.

// "Korvane antwortet seit 10 s nicht (<step>). Weiter warten oder abbrechen?", a long step cut.
std::wstring busyQuestionText(std::chrono::seconds waited, std::u16string_view step);

// Shows `text` over `owner` (or, null, on its own), in front of other programs' windows; true for
// "Warten", false for "Abbrechen". Neither Esc nor a close message answers it: giving up ends the
// program, which takes the button. Where the dialog cannot be shown, the answer is to wait on.
bool askToWaitOn(HWND owner, const std::wstring& text);

}  // namespace dravosk::ui
