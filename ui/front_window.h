// What a box that waits for the operator does to be seen: Windows does not let a program take
// the foreground while the user works in another (SetForegroundWindow), so a question or a report
// could open behind Korvane's window, over a disabled Dravosk, unnoticed.
#pragma once

#include <windows.h>

namespace dravosk::ui {

// Keeps `box` above every window that is not topmost and tries to make it the foreground window.
// When another program keeps the foreground, the taskbar button of the window `box` belongs to
// flashes until that window comes to the foreground (FLASHW_TIMERNOFG).
void bringToFront(HWND box) noexcept;

// For a box made by the system (MessageBox), before it opens over `owner`: flashes `owner`'s
// taskbar button, as above, when another program has the foreground. Null does nothing.
void flashIfInBackground(HWND owner) noexcept;

// Stops the flashing, once the box is answered.
void stopFlashing(HWND window) noexcept;

}  // namespace dravosk::ui
