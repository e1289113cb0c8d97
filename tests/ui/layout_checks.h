// Checks of Form1's layout that hold at every DPI, shared by the window tests at 96 DPI and those
// on a system at 144 DPI.
#pragma once

#include <windows.h>

#include "ui/main_window.h"

namespace dravosk::ui::test {

// The client area and every control at its designed place and size for `dpi`.
void expectDesignLayout(const MainWindow& window, UINT dpi);

// Every control but the picture shows one font, made from `expected`.
void expectControlFont(const MainWindow& window, const LOGFONTW& expected);

// The message font the system gives for `dpi`, as the window should make it.
LOGFONTW messageFont(UINT dpi);

}  // namespace dravosk::ui::test
