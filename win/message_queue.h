// The thread's message queue while a command runs: everything but keyboard, mouse, touch and pen
// input is handled, so the windows keep painting and answering, while input waits or is thrown
// away.
#pragma once

#include <windows.h>

namespace dravosk::win {

// Takes the next queued message that is not input (keyboard, mouse and the non-client mouse
// messages, WM_INPUT, and from Windows 7 and 8 on touch, gestures and pointers: WM_TOUCH,
// WM_GESTURE, WM_POINTER*), whether it came from the devices or was posted; false when there is
// none. Messages sent by other threads are handled on the way, as by every PeekMessage call.
bool takeMessageButInput(MSG& message) noexcept;

// Removes every input message waiting in the thread's queue, so that input made while a command
// ran can answer neither a box the command shows nor anything after it. One thing of it is kept:
// a click on a window's close box or Alt+F4 is handed to that window as what it means, WM_CLOSE
// posted to it, so a close asked for meanwhile is not lost.
void discardQueuedInput() noexcept;

}  // namespace dravosk::win
