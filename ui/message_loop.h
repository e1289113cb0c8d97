// The program's event loop: runs until the main window is gone and returns the program's exit code.
#pragma once

#include "ui/main_window.h"

namespace dravosk::ui {

int runMessageLoop(MainWindow& window);

}  // namespace dravosk::ui
