// The thread's message queue while a command runs: everything but keyboard and mouse input is
// handled, so the windows keep painting and answering, while input waits or is thrown away.
#pragma once

#include <windows.h>

namespace dravosk::win {

// Takes the next queued message that is not keyboard or mouse input (WM_KEYFIRST..WM_KEYLAST,
// WM_MOUSEFIRST..WM_MOUSELAST, the non-client mouse messages, WM_INPUT), whether it came from the
// devices or was posted; false when there is none. Messages sent by other threads are handled
// on the way, as by every PeekMessage call.
bool takeMessageButInput(MSG& message) noexcept;

// Removes every keyboard and mouse message waiting in the thread's queue, so that input made
// while a command ran can answer neither a box the command shows nor anything after it.
void discardQueuedInput() noexcept;

}  // namespace dravosk::win
