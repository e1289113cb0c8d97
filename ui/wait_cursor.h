// Shows the hourglass while a command runs and puts the previous cursor back afterwards.
#pragma once

#include <windows.h>

namespace dravosk::ui {

class WaitCursor {
  public:
    // System cursors are shared: nothing to release.
    WaitCursor() : previous_(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}
    ~WaitCursor() { SetCursor(previous_); }

    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

  private:
    HCURSOR previous_;
};

}  // namespace dravosk::ui
