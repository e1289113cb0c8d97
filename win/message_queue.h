// The thread's message queue while a command runs: all but keyboard, mouse, touch and pen input
// is handled, so the windows keep painting and answering, while input waits or is thrown away.
#pragma once

#include <windows.h>

namespace dravosk::win {

// Takes the next queued message that is not input (keyboard, mouse, non-client mouse, WM_INPUT,
// and from Windows 7 and 8 on WM_TOUCH, WM_GESTURE, WM_POINTER*), from the devices or posted;
// false when none. Messages sent by other threads are handled on the way, as by every PeekMessage.
bool takeMessageButInput(MSG& message) noexcept;

// Removes every input message waiting in the thread's queue, so that input made while a command
// ran answers neither a box the command shows nor anything after it. A click on a window's close
// box or Alt+F4 is posted to that window as WM_CLOSE, so a close asked for is not lost.
void discardQueuedInput() noexcept;

}  // namespace dravosk::win
