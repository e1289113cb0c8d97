// The server's own window: the active part program, one line per command with the feature's
// identifier and its three vectors, redrawn whenever the model changes, so that whoever watches
// sees the vectors turn round.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "sim/model.h"
#include "win/handles.h"
#include "win/window_base.h"

namespace dravosk::sim::server {

class SimWindow : public win::WindowBase<SimWindow> {
  public:
    explicit SimWindow(const Model& model) : model_(model) {}
    ~SimWindow();

    // Creates and shows the window; false when that fails.
    bool create(int show);
    // Asks for a redraw; several changes before the next message loop turn become one.
    void changed();

    // The texts of one line, for the list and for tests of the formatting.
    static std::wstring vectorText(const Vector& vector);
    static std::wstring commandText(const Command& command);
    static bool isFeature(const Command& command);

  private:
    friend class win::WindowBase<SimWindow>;
    static win::WindowClass windowClass();
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void createControls();
    void applyDpi(UINT dpi);
    void layout();
    void refresh();
    void fillItem(NMLVDISPINFOW& info) const;

    const Model& model_;
    HWND summary_ = nullptr;
    HWND list_ = nullptr;
    win::unique_hfont font_;  // shown by the controls, so released only after them
    UINT dpi_ = USER_DEFAULT_SCREEN_DPI;
    bool refreshPending_ = false;
};

}  // namespace dravosk::sim::server
