// What a window shows, read through its handle: from the window's own program or from another one.
#pragma once

#include <windows.h>

#include <string>

namespace dravosk::win {

// The window's text (a control's caption, a top-level window's title), however long.
std::wstring windowText(HWND window);
std::wstring className(HWND window);

// A message box on the screen: the system's dialog class, visible.
bool isMessageBox(HWND window);
// The message a message box shows (its static control 0xFFFF), without its caption.
std::wstring messageBoxText(HWND box);

}  // namespace dravosk::win
