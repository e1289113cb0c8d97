// The owners of the platform's handles, like the unique_* owners of its own helper libraries: each
// handle has one owner, which closes it exactly once; owners move, never copy. A control or device
// context showing a GDI object only borrows it, so the owner must outlive the borrower.
#pragma once

#include <windows.h>

#include <utility>

namespace dravosk::win {

// The traits of a kind whose only invalid value is null and which `Close` releases.
template <class Handle, auto Close>
struct CloseTraits {
    using pointer = Handle;
    static pointer normalize(pointer h) noexcept { return h; }
    static void close(pointer h) noexcept { Close(h); }
};

template <class Traits>
class unique_any {
  public:
    using pointer = typename Traits::pointer;

    unique_any() noexcept = default;
    // Takes the handle as the creating call returned it; the kind's invalid value counts as none.
    explicit unique_any(pointer h) noexcept : h_(Traits::normalize(h)) {}
    unique_any(const unique_any&) = delete;
    unique_any& operator=(const unique_any&) = delete;
    unique_any(unique_any&& other) noexcept : h_(std::exchange(other.h_, nullptr)) {}
    unique_any& operator=(unique_any&& other) noexcept {
        reset(other.release());
        return *this;
    }
    ~unique_any() { reset(); }

    void reset(pointer h = nullptr) noexcept {
        if (pointer old = std::exchange(h_, Traits::normalize(h))) {
            Traits::close(old);
        }
    }
    [[nodiscard]] pointer release() noexcept { return std::exchange(h_, nullptr); }
    pointer get() const noexcept { return h_; }
    explicit operator bool() const noexcept { return h_ != nullptr; }
    // For out-parameters: closes the old handle first.
    pointer* put() noexcept {
        reset();
        return &h_;
    }

  private:
    pointer h_ = nullptr;
};

// Runs `f` when the scope ends, whichever way it ends.
template <class F>
class scope_exit {
  public:
    explicit scope_exit(F f) noexcept : f_(std::move(f)) {}
    ~scope_exit() { f_(); }
    scope_exit(const scope_exit&) = delete;
    scope_exit& operator=(const scope_exit&) = delete;

  private:
    F f_;
};

// Kernel objects (file, pipe, event, process, thread) and loaded modules.
struct HandleTraits : CloseTraits<HANDLE, &::CloseHandle> {
    // CreateFile and friends report failure as INVALID_HANDLE_VALUE, the others as null.
    static pointer normalize(pointer h) noexcept { return h == INVALID_HANDLE_VALUE ? nullptr : h; }
};
using unique_handle = unique_any<HandleTraits>;

// A program file loaded with LoadLibrary(Ex), as code or only for its resources.
using unique_hmodule = unique_any<CloseTraits<HMODULE, &::FreeLibrary>>;

// The GDI and USER objects a window creates; below, scopes for a device context and a selection.
using unique_hfont = unique_any<CloseTraits<HFONT, &::DeleteObject>>;
using unique_hbitmap = unique_any<CloseTraits<HBITMAP, &::DeleteObject>>;
using unique_hrgn = unique_any<CloseTraits<HRGN, &::DeleteObject>>;
using unique_hicon = unique_any<CloseTraits<HICON, &::DestroyIcon>>;

// A window's device context (the screen's for a null window), given back when the owner goes.
class unique_window_dc {
  public:
    explicit unique_window_dc(HWND window) noexcept : window_(window), dc_(::GetDC(window)) {}
    ~unique_window_dc() {
        if (dc_ != nullptr) {
            ::ReleaseDC(window_, dc_);
        }
    }
    unique_window_dc(const unique_window_dc&) = delete;
    unique_window_dc& operator=(const unique_window_dc&) = delete;

    HDC get() const noexcept { return dc_; }
    explicit operator bool() const noexcept { return dc_ != nullptr; }

  private:
    HWND window_;
    HDC dc_;
};

// Selects an object into a device context for the scope, then the one it replaced back, so the
// context never goes with a borrowed object still in it. A null object selects nothing.
class select_object {
  public:
    select_object(HDC dc, HGDIOBJ object) noexcept
        : dc_(dc), previous_(object != nullptr ? ::SelectObject(dc, object) : nullptr) {}
    ~select_object() {
        if (previous_ != nullptr) {
            ::SelectObject(dc_, previous_);
        }
    }
    select_object(const select_object&) = delete;
    select_object& operator=(const select_object&) = delete;

  private:
    HDC dc_;
    HGDIOBJ previous_;
};

}  // namespace dravosk::win
