// The one way a window of this program is tied to its C++ object: the object's address travels in
// CreateWindowExW's creation parameter and is kept in GWLP_USERDATA, and one window procedure per
// class hands every message to T::handle(message, wParam, lParam). T provides
//   static WindowClass windowClass();                 // its class name and looks
//   LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
// and may provide `void windowGone()`, called once the window is destroyed (WM_NCDESTROY), after
// which hwnd() is null, and `[[noreturn]] void failedUnexpectedly() noexcept`, called when
// handle() lets an exception out (which must not unwind into the system); without it the process
// ends. Declare `friend class win::WindowBase<T>;` when these are private.
#pragma once

#include <windows.h>

#include <utility>

namespace dravosk::win {

struct WindowClass {
    const wchar_t* name;
    HCURSOR cursor = nullptr;
    HICON icon = nullptr;
    HBRUSH background = nullptr;
};

template <class T>
class WindowBase {
  public:
    WindowBase(const WindowBase&) = delete;
    WindowBase& operator=(const WindowBase&) = delete;

    HWND hwnd() const noexcept { return hwnd_; }

  protected:
    WindowBase() = default;
    // A window still there is destroyed without reaching T, whose members are already gone.
    ~WindowBase() { destroyQuietly(); }

    // Registers T's class for `instance` unless done before; false (GetLastError set) on failure.
    static bool registerClass(HINSTANCE instance) {
        const WindowClass design = T::windowClass();
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = &WindowBase::procedure;
        windowClass.hInstance = instance;
        windowClass.hCursor = design.cursor;
        windowClass.hIcon = design.icon;
        windowClass.hbrBackground = design.background;
        windowClass.lpszClassName = design.name;
        return ::RegisterClassExW(&windowClass) != 0 ||
               ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }

    // Registers the class and creates the window tied to this object (hwnd() is set from
    // WM_NCCREATE on, so T sees it in every message). False (GetLastError set) when either fails.
    bool createWindow(HINSTANCE instance, DWORD exStyle, const wchar_t* caption, DWORD style,
                      HWND parent = nullptr, int x = CW_USEDEFAULT, int y = CW_USEDEFAULT,
                      int width = CW_USEDEFAULT, int height = CW_USEDEFAULT) {
        if (!registerClass(instance)) {
            return false;
        }
        return ::CreateWindowExW(exStyle, T::windowClass().name, caption, style, x, y, width,
                                 height, parent, nullptr, instance,
                                 static_cast<T*>(this)) != nullptr;
    }

    // Destroys the window without any further message reaching T.
    void destroyQuietly() noexcept {
        if (const HWND hwnd = std::exchange(hwnd_, nullptr)) {
            ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            ::DestroyWindow(hwnd);
        }
    }

    void windowGone() {}

  private:
    static LRESULT CALLBACK procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            auto* created =
                static_cast<T*>(reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams);
            ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
            created->hwnd_ = hwnd;
        }
        auto* self = reinterpret_cast<T*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (self == nullptr) {
            return ::DefWindowProcW(hwnd, message, wParam, lParam);
        }
        if (message == WM_NCDESTROY) {
            ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            self->hwnd_ = nullptr;
            self->windowGone();
            return ::DefWindowProcW(hwnd, message, wParam, lParam);
        }
        try {
            return self->handle(message, wParam, lParam);
        } catch (...) {
            if constexpr (requires { self->failedUnexpectedly(); }) {
                self->failedUnexpectedly();
            }
            ::TerminateProcess(::GetCurrentProcess(), 3);
            return 0;
        }
    }

    HWND hwnd_ = nullptr;
};

}  // namespace dravosk::win
