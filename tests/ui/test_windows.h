// Hidden windows for the tests of the window's pieces, and a way through modal message boxes.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace dravosk::ui::test {

// A hidden top-level window destroyed at the end of the test.
class HiddenWindow {
  public:
    HiddenWindow(const wchar_t* className, DWORD style, HWND parent = nullptr)
        : hwnd_(CreateWindowExW(0, className, L"", style, 0, 0, 200, 200, parent, nullptr,
                                GetModuleHandleW(nullptr), nullptr)) {}
    ~HiddenWindow() {
        if (hwnd_ != nullptr) {
            DestroyWindow(hwnd_);
        }
    }
    HiddenWindow(const HiddenWindow&) = delete;
    HiddenWindow& operator=(const HiddenWindow&) = delete;

    HWND get() const { return hwnd_; }

  private:
    HWND hwnd_;
};

// What a message box showed before it was confirmed.
struct SeenBox {
    bool seen = false;
    std::wstring caption;
    std::wstring text;
};

// Runs `action`; every message box that opens on this thread meanwhile is read, handed to
// `whileOpen` and confirmed with OK. Returns the last one.
SeenBox confirmingMessageBoxes(const std::function<void()>& action,
                               const std::function<void()>& whileOpen = {});

// Removes a WM_QUIT left in this thread's queue; returns its exit code, or -1 when there was none.
int takeQuitMessage();

}  // namespace dravosk::ui::test
