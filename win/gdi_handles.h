// Owners for the GDI and USER objects a window creates. Each object belongs to exactly one owner,
// which deletes it; a control or device context that shows it only borrows it, so the owner must
// outlive the borrower. Below them the scopes for a borrowed device context and a selection.
#pragma once

#include <windows.h>

#include "win/unique_any.h"

namespace dravosk::win {

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

// Selects an object into a device context for the scope and the one it replaced back at its end,
// so that the context never goes with a borrowed object still in it. A null object selects nothing.
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
