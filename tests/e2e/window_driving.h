// Form1 worked as a user works it, beyond what the demo player needs: keys to whatever window has
// the focus, the window brought to the front, lines of List1 clicked and read as marks, the check
// boxes toggled and the buttons' states checked.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "demo/form1_remote.h"

namespace dravosk::e2e {

using demo::App;
using demo::Control;

// A key as the keyboard gives it, to whatever window has the focus; with Shift held when `shift`.
void press(WORD key, bool shift = false);
// Gives the window the keyboard, as a click on its title bar would.
bool activate(const App& app);

// The selected lines of a list box, as indexes.
std::vector<int> marks(HWND list);
// "{0,1,4}".
std::wstring joined(const std::vector<int>& values);
// A click on a line of the list box, with Ctrl held when `control`; waits for the marks `expected`.
void clickLine(HWND list, int index, bool control, const std::wstring& expected,
               const std::wstring& what);
// Toggles a check box by a click.
void toggle(const App& app, Control box);
// Checks which of the four buttons are enabled in `state`.
void checkButtons(const App& app, bool lesen, bool schreiben, bool alle, bool keine,
                  const std::wstring& state);

}  // namespace dravosk::e2e
